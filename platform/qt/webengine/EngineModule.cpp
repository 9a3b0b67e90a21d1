// The web engine module: the engine's profile, its pages and views, behind
// the program's own interface. The program loads it at the first web view's
// first load; it keeps no state of the program's and decides nothing.
#include "../ui/WebEngineModule.h"

#include "WebViewPage.h"

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <memory>
#include <vector>

// The engine's own start-up step. When the engine is linked into a program it
// runs as the application object is made; loaded later, as here, it must be
// called before the first profile, or the engine finds no shared GL context.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

namespace platform::webengine {

namespace {

// Our schemes carry messages, not pages: a navigation the delegate let through
// still has nothing to load, and a subresource (an image with such a source)
// gets nothing either.
class RefusingSchemeHandler final : public QWebEngineUrlSchemeHandler {
public:
    void requestStarted(QWebEngineUrlRequestJob* job) override { job->fail(QWebEngineUrlRequestJob::RequestDenied); }
};

Navigation navigation(QWebEnginePage::NavigationType type)
{
    switch (type) {
    case QWebEnginePage::NavigationTypeLinkClicked: return Navigation::LinkClicked;
    case QWebEnginePage::NavigationTypeTyped: return Navigation::Typed;
    case QWebEnginePage::NavigationTypeFormSubmitted: return Navigation::FormSubmitted;
    case QWebEnginePage::NavigationTypeBackForward: return Navigation::BackForward;
    case QWebEnginePage::NavigationTypeReload: return Navigation::Reload;
    case QWebEnginePage::NavigationTypeRedirect: return Navigation::Redirect;
    default: return Navigation::Other;
    }
}

LoadInfo loadInfo(const QWebEngineLoadingInfo& info)
{
    LoadInfo out;
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus: out.status = LoadInfo::Status::Started; break;
    case QWebEngineLoadingInfo::LoadSucceededStatus: out.status = LoadInfo::Status::Succeeded; break;
    case QWebEngineLoadingInfo::LoadStoppedStatus: out.status = LoadInfo::Status::Stopped; break;
    case QWebEngineLoadingInfo::LoadFailedStatus: out.status = LoadInfo::Status::Failed; break;
    }
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::NoErrorDomain: out.errorDomain = LoadInfo::ErrorDomain::None; break;
    case QWebEngineLoadingInfo::CertificateErrorDomain: out.errorDomain = LoadInfo::ErrorDomain::Certificate; break;
    case QWebEngineLoadingInfo::HttpStatusCodeDomain: out.errorDomain = LoadInfo::ErrorDomain::HttpStatus; break;
    default: out.errorDomain = LoadInfo::ErrorDomain::Other; break;
    }
    out.url = info.url();
    out.errorCode = info.errorCode();
    out.errorString = info.errorString();
    return out;
}

class EnginePage final : public Page, private WebViewPage::Owner {
public:
    // `page` is a page made ahead, without owner or parent; this takes it.
    EnginePage(WebViewPage* page, QWidget* parent, PageClient* client, bool playbackRequiresGesture)
        : client_(client)
    {
        view_ = new QWebEngineView(parent);
        page_ = page;
        page_->setParent(view_);
        page_->attach(this);
        QWebEngineSettings* s = page_->settings();
        s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, playbackRequiresGesture);
        s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
        view_->setPage(page_);

        connections_ = std::make_unique<QObject>();
        QObject* ctx = connections_.get();
        QObject::connect(page_, &QWebEnginePage::loadingChanged, ctx,
            [this](const QWebEngineLoadingInfo& info) { client_->loadingChanged(loadInfo(info)); });
        QObject::connect(page_, &QWebEnginePage::urlChanged, ctx, [this](const QUrl& url) { client_->urlChanged(url); });
        QObject::connect(page_, &QWebEnginePage::contentsSizeChanged, ctx, [this](const QSizeF&) { client_->contentsSizeChanged(); });
        QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, ctx,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    client_->rendererGone();
            });
    }

    ~EnginePage() override
    {
        if (page_)
            page_->detach();
        connections_.reset();
        if (view_) {
            view_->hide();
            view_->setParent(nullptr);
            view_->deleteLater();
        }
    }

    QWidget* view() const override { return view_.data(); }
    bool hasPage() const override { return !page_.isNull(); }

    void setBackgroundColor(const QColor& color) override
    {
        if (page_)
            page_->setBackgroundColor(color);
    }
    void setPlaybackRequiresUserGesture(bool on) override
    {
        if (page_)
            page_->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, on);
    }
    double contentsWidth() const override { return page_ ? page_->contentsSize().width() : 0; }
    double zoomFactor() const override { return page_ ? page_->zoomFactor() : 1; }
    void setZoomFactor(double zoom) override
    {
        if (page_)
            page_->setZoomFactor(zoom);
    }

    void setHtml(const QString& html, const QUrl& baseUrl) override
    {
        if (page_)
            page_->setHtml(html, baseUrl);
    }

    void load(const QUrl& url, const QList<QPair<QByteArray, QByteArray>>& headers, const QString& referrer) override
    {
        if (!page_)
            return;
        QWebEngineHttpRequest request(url);
        for (const auto& [name, value] : headers)
            request.setHeader(name, value);
        if (!referrer.isEmpty())
            page_->setReferrerForNextLoad(url, referrer);
        page_->load(request);
    }

    void runJavaScript(const QString& script, std::function<void(const QVariant&)> done) override
    {
        if (page_)
            page_->runJavaScript(script, [done = std::move(done)](const QVariant& result) {
                if (done)
                    done(result);
            });
    }

    void trigger(Action action) override
    {
        if (!page_)
            return;
        switch (action) {
        case Action::Back: page_->triggerAction(QWebEnginePage::Back); break;
        case Action::Forward: page_->triggerAction(QWebEnginePage::Forward); break;
        case Action::Reload: page_->triggerAction(QWebEnginePage::Reload); break;
        case Action::Stop: page_->triggerAction(QWebEnginePage::Stop); break;
        }
    }
    bool canGoBack() const override { return page_ && page_->history()->canGoBack(); }
    bool canGoForward() const override { return page_ && page_->history()->canGoForward(); }

private:
    bool acceptNavigation(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame) override
    {
        return client_->acceptNavigation(url, navigation(type), isMainFrame);
    }
    void newWindowNavigation(const QUrl& url, QWebEnginePage::NavigationType type) override
    {
        client_->newWindowNavigation(url, navigation(type));
    }

    PageClient* client_; // non-owning: the web view, which destroys this first
    // The view is a child of the web view's widget, the page of the view;
    // both may go first, when the session ends.
    QPointer<QWebEngineView> view_;
    QPointer<WebViewPage> page_;
    std::unique_ptr<QObject> connections_; // context of our slots on the page: dropping it disconnects them
};

class EngineImpl final : public Engine {
public:
    explicit EngineImpl(const ModuleContext& context)
        : log_(context.log ? context.log : [](const std::string&) { }), schemes_(context.schemes)
    {
        // What the engine arranges for itself when it is loaded before the
        // application object: its scene graph on OpenGL, then its start-up.
        const auto api = QQuickWindow::graphicsApi();
        if (api != QSGRendererInterface::OpenGLRhi && api != QSGRendererInterface::VulkanRhi)
            QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGLRhi);
        QtWebEngineCore::initialize();
        // The engine reads its scheme table once, when it starts: now.
        for (const QString& name : schemes_) {
            QWebEngineUrlScheme scheme(name.toLatin1());
            scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
            QWebEngineUrlScheme::registerScheme(scheme);
        }
    }

    ~EngineImpl() override { release(); }

    std::unique_ptr<Page> makePage(QWidget* parent, PageClient* client, bool playbackRequiresGesture) override
    {
        const bool starting = !profile_;
        QWebEngineProfile* engineProfile = profile();
        WebViewPage* page = nullptr;
        while (!page && !ready_.empty()) {
            page = ready_.front();
            ready_.erase(ready_.begin());
        }
        if (!page)
            page = new WebViewPage(engineProfile, nullptr, log_, nullptr);
        scheduleReadyPage(starting ? kFirstReadyPageDelayMs : kReadyPageDelayMs);
        return std::make_unique<EnginePage>(page, parent, client, playbackRequiresGesture);
    }

    QString userAgent() const override { return const_cast<EngineImpl*>(this)->profile()->httpUserAgent(); }

    void release() override
    {
        refill_.reset();
        for (auto& page : ready_)
            delete page.data();
        ready_.clear();
        if (!profile_)
            return;
        profile_->removeAllUrlSchemeHandlers();
        delete profile_;
        profile_ = nullptr;
    }

private:
    // Pages kept ready: an ad takes two (the hidden page that builds its URL,
    // then the banner's page at its first ad), a click on it one more. Making
    // a page and starting its renderer costs about as much as loading a small
    // page into it, so pages are made ahead, between loads. A ready page has
    // never shown anything: no history, no document of its own, the engine's
    // default settings. Each holds a renderer process of its own, about 70 MB
    // resident, nearly all of it shared with the engine's other processes
    // (about 5 MB proportional).
    static constexpr size_t kReadyPages = 2;
    // Not inside the load that took a page, which a renderer starting
    // meanwhile would slow down; the engine's first load, which starts it,
    // takes longer. These are the engine's own housekeeping on real time, not
    // the program's time.
    static constexpr int kReadyPageDelayMs = 100;
    static constexpr int kFirstReadyPageDelayMs = 1000;

    void scheduleReadyPage(int delayMs)
    {
        if (refill_ || ready_.size() >= kReadyPages)
            return;
        // Dropping the context (a refill under way, release()) cancels the call.
        refill_ = std::make_unique<QObject>();
        QTimer::singleShot(delayMs, refill_.get(), [this] {
            refill_.reset();
            makeReadyPage();
        });
    }

    // Running script makes the engine set the page up and start a renderer
    // for its empty document, which leaves no history behind.
    void makeReadyPage()
    {
        std::erase_if(ready_, [](const QPointer<WebViewPage>& p) { return p.isNull(); });
        if (!profile_ || ready_.size() >= kReadyPages)
            return;
        auto* page = new WebViewPage(profile_, nullptr, log_, nullptr);
        ready_.emplace_back(page);
        page->runJavaScript(QStringLiteral("0"));
        // A renderer that dies while the page waits would fail its taker's
        // first load: such a page is dropped and made again.
        QObject::connect(page, &QWebEnginePage::renderProcessTerminated, page, [this, page] {
            if (std::erase(ready_, page) == 0)
                return;
            page->deleteLater();
            scheduleReadyPage(kReadyPageDelayMs);
        });
        scheduleReadyPage(kReadyPageDelayMs);
    }

    // Made again when a later session loads a page after release().
    QWebEngineProfile* profile()
    {
        if (profile_)
            return profile_;
        // No storage name: off the record, nothing written to disk.
        profile_ = new QWebEngineProfile();
        for (const QString& name : schemes_)
            profile_->installUrlSchemeHandler(name.toLatin1(), &handler_);
        return profile_;
    }

    WebViewPage::Log log_;
    QStringList schemes_;
    RefusingSchemeHandler handler_;
    QWebEngineProfile* profile_ = nullptr; // owned; deleted at release(), after every page
    std::vector<QPointer<WebViewPage>> ready_; // owned until a page takes one
    std::unique_ptr<QObject> refill_; // while a refill is scheduled: the context of its call
};

}

}

extern "C" __attribute__((visibility("default"))) platform::webengine::Engine* tolvaneWebEngineCreate(
    int interfaceVersion, const platform::webengine::ModuleContext& context)
{
    if (interfaceVersion != platform::webengine::kInterfaceVersion)
        return nullptr;
    return new platform::webengine::EngineImpl(context);
}
