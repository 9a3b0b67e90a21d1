#include "WebViewPage.h"

#include <QTimer>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace platform {

namespace {

// What the engine's default referrer policy (strict origin when cross-origin)
// lets a request carry: the engine cancels a request whose "Referer" says
// more, so a caller's full cross-origin URL is cut to its origin here.
QString allowedReferrer(const QUrl& target, const QUrl& referrer)
{
    if (!referrer.isValid() || (referrer.scheme() != "http" && referrer.scheme() != "https"))
        return {};
    if (referrer.scheme() == "https" && target.scheme() != "https")
        return {};
    bool sameOrigin = referrer.scheme() == target.scheme() && referrer.host() == target.host()
        && referrer.port(-1) == target.port(-1);
    if (sameOrigin)
        return referrer.adjusted(QUrl::RemoveFragment | QUrl::RemoveUserInfo).toString(QUrl::FullyEncoded);
    return referrer.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
               .toString(QUrl::FullyEncoded)
        + QLatin1Char('/');
}

// The engine drops a "Referer" given with the load itself; an interceptor is
// the one place where it can be set on a top-level request.
class ReferrerInterceptor final : public QWebEngineUrlRequestInterceptor {
public:
    void set(const QUrl& url, const QString& referrer)
    {
        url_ = url;
        referrer_ = referrer;
    }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (url_.isEmpty() || info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            return;
        if (info.requestUrl() != url_)
            return;
        QString value = allowedReferrer(url_, QUrl(referrer_));
        if (!value.isEmpty())
            info.setHttpHeader("Referer", value.toUtf8());
        url_.clear();
    }

private:
    QUrl url_;
    QString referrer_;
};
}

WebViewPage::WebViewPage(QWebEngineProfile* profile, Owner* owner, Log log, QObject* parent)
    : QWebEnginePage(profile, parent), owner_(owner), log_(std::move(log))
{
    // Ad pages ask for nothing that a banner could grant.
    connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    });
    connect(this, &QWebEnginePage::fullScreenRequested, this, [](QWebEngineFullScreenRequest request) { request.reject(); });
}

WebViewPage::WebViewPage(QWebEngineProfile* profile, WebViewPage* opener)
    : WebViewPage(profile, nullptr, opener->log_, opener)
{
    opener_ = opener;
}

WebViewPage::~WebViewPage()
{
    if (interceptor_)
        setUrlRequestInterceptor(nullptr);
}

void WebViewPage::setReferrerForNextLoad(const QUrl& url, const QString& referrer)
{
    if (!interceptor_) {
        interceptor_ = std::make_unique<ReferrerInterceptor>();
        setUrlRequestInterceptor(interceptor_.get());
    }
    static_cast<ReferrerInterceptor*>(interceptor_.get())->set(url, referrer);
}

bool WebViewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (opener_ || !owner_) {
        // A new window: it shows nothing itself. Its blank start page is let
        // through so that the opener's script can go on with it.
        if (url.isEmpty() || url.toString() == QLatin1String("about:blank"))
            return !opener_.isNull();
        if (opener_ && isMainFrame) {
            QPointer<WebViewPage> opener = opener_;
            opener_ = nullptr;
            deleteLater();
            if (opener && opener->owner_)
                opener->owner_->newWindowNavigation(url, type);
        }
        return false;
    }
    return owner_->acceptNavigation(url, type, isMainFrame);
}

QWebEnginePage* WebViewPage::createWindow(WebWindowType)
{
    if (!owner_)
        return nullptr;
    windows_.removeIf([](const QPointer<WebViewPage>& window) { return window.isNull(); });
    if (windows_.size() >= kMaxWaitingWindows) {
        if (!refusedWindowLogged_)
            log_("a page asked for more new windows than it may have at once; refused");
        refusedWindowLogged_ = true;
        return nullptr;
    }
    auto* window = new WebViewPage(profile(), this);
    windows_.append(window);
    // A window given no address soon never shows anything, and would run
    // whatever the opener writes into it for as long as the opener lives.
    QTimer::singleShot(kWindowWaitMs, window, [window] { window->deleteLater(); });
    return window;
}

void WebViewPage::javaScriptAlert(const QUrl&, const QString& message)
{
    // A modal dialog from an ad would stop the whole application.
    log_("web page alert: " + message.left(200).toStdString());
}

bool WebViewPage::javaScriptConfirm(const QUrl&, const QString& message)
{
    log_("web page confirm (answered no): " + message.left(200).toStdString());
    return false;
}

bool WebViewPage::javaScriptPrompt(const QUrl&, const QString& message, const QString&, QString*)
{
    log_("web page prompt (answered nothing): " + message.left(200).toStdString());
    return false;
}

QStringList WebViewPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) { return {}; }

}
