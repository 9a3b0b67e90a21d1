#include "platform/ui/WebView.h"

#include "QtConvert.h"
#include "ViewImpl.h"
#include "WebEngine.h"
#include "platform/Clock.h"
#include "platform/Lifetime.h"
#include "platform/PlatformSession.h"
#include "platform/RunLoop.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>

namespace platform {

namespace {

using EngineNavigation = webengine::Navigation;
using LoadInfo = webengine::LoadInfo;

// The engine's navigation kinds onto ours. The engine has no "form
// resubmitted" (a reload of a posted page is a reload); its own loads
// ("typed") and redirects, server or script, are "other".
constexpr struct {
    EngineNavigation engine;
    NavigationType ours;
} kNavigationTypes[] = {
    { EngineNavigation::LinkClicked, NavigationType::LinkClicked },
    { EngineNavigation::Typed, NavigationType::Other },
    { EngineNavigation::FormSubmitted, NavigationType::FormSubmitted },
    { EngineNavigation::BackForward, NavigationType::BackForward },
    { EngineNavigation::Reload, NavigationType::Reload },
    { EngineNavigation::Other, NavigationType::Other },
    { EngineNavigation::Redirect, NavigationType::Other },
};

NavigationType navigationType(EngineNavigation t)
{
    for (const auto& entry : kNavigationTypes)
        if (entry.engine == t)
            return entry.ours;
    return NavigationType::Other;
}

// The engine counts a navigation that script starts (location.href = ...) as
// a link click. Only one that follows the user's click or key within this
// long is one.
constexpr double kGestureSeconds = 1.0;
// How long a click waits for a loaded page to be drawn before it goes anyway.
constexpr int kFirstFrameMs = 2000;

// The engine turns an HTML string into a data: URL and loads nothing past this
// length (its URL limit), without telling why.
constexpr qsizetype kMaxDataUrlBytes = 2 * 1024 * 1024;
const QByteArray kHtmlDataPrefix = "data:text/html;charset=UTF-8,";

// How many refused URLs are remembered while the engine may still report on them.
constexpr size_t kRefusedMemory = 16;

std::string urlText(const QUrl& url) { return qtui::toStdString(url.toString(QUrl::FullyEncoded)); }

// Script results as text: strings as they are, numbers as script prints them,
// objects and arrays as JSON; nothing (undefined, null, a thrown error) as "".
std::string scriptResultText(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return {};
    case QMetaType::Bool:
        return v.toBool() ? "true" : "false";
    case QMetaType::QString:
        return qtui::toStdString(v.toString());
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        double d = v.toDouble();
        if (std::isnan(d))
            return "NaN";
        if (std::isinf(d))
            return d > 0 ? "Infinity" : "-Infinity";
        char buf[64];
        auto r = std::abs(d) < 9007199254740992.0 && d == std::trunc(d)
            ? std::to_chars(buf, buf + sizeof buf, (long long)d)
            : std::to_chars(buf, buf + sizeof buf, d);
        return std::string(buf, r.ptr);
    }
    default:
        break;
    }
    QJsonDocument doc = QJsonDocument::fromVariant(v);
    if (!doc.isNull())
        return doc.toJson(QJsonDocument::Compact).toStdString();
    return qtui::toStdString(v.toString());
}

// The engine's network error numbers onto the connection's error codes; the
// engine's own number stays in the underlying error.
long urlErrorCode(const LoadInfo& info)
{
    if (info.errorDomain == LoadInfo::ErrorDomain::Certificate)
        return URLErrorSecureConnectionFailed;
    switch (info.errorCode) {
    case -3: // aborted
        return URLErrorCancelled;
    case -7: case -118: // timed out, connection timed out
        return URLErrorTimedOut;
    case -100: case -101: case -21: // closed, reset, network changed
        return URLErrorNetworkConnectionLost;
    case -102: case -104: case -106: case -109: // refused, failed, disconnected, unreachable
        return URLErrorCannotConnectToHost;
    case -105: case -137: // name not resolved
        return URLErrorCannotFindHost;
    case -300: // invalid URL
        return URLErrorBadURL;
    case -301: case -302: case -312: // disallowed or unknown scheme, unsafe port
        return URLErrorUnsupportedURL;
    case -310:
        return URLErrorHTTPTooManyRedirects;
    default:
        return URLErrorUnknown;
    }
}

Error loadError(const LoadInfo& info)
{
    std::string engineText = qtui::toStdString(info.errorString);
    auto underlying = std::make_shared<const Error>("QtWebEngine.net", long(info.errorCode), engineText);
    std::string message = "The page could not be loaded (" + urlText(info.url) + ", engine error "
        + std::to_string(info.errorCode) + ").";
    return Error(kURLErrorDomain, urlErrorCode(info), message, underlying);
}

// Without the engine no page can be shown; the web view says so as a failed load.
Error engineUnavailable()
{
    return Error(kURLErrorDomain, URLErrorUnknown,
        "The web engine is not available (" + WebEngine::unavailableReason() + ").");
}

class WebViewImpl;

// Notes the user's clicks and keys on the engine's widgets.
class GestureWatcher final : public QObject {
public:
    explicit GestureWatcher(double* lastGesture) : lastGesture_(lastGesture) { }
    void watch(QObject* o)
    {
        o->installEventFilter(this);
        for (QObject* child : o->children())
            if (child->isWidgetType())
                watch(child);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::TouchEnd:
            *lastGesture_ = Clock::shared().monotonic();
            break;
        case QEvent::KeyPress: {
            int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
                *lastGesture_ = Clock::shared().monotonic();
            break;
        }
        case QEvent::ChildAdded: {
            QObject* child = static_cast<QChildEvent*>(e)->child();
            if (child && child->isWidgetType() && o->isWidgetType())
                watch(child);
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    double* lastGesture_; // non-owning: a field of the web view's implementation
};

// A page that has finished loading, or whose view has just come on screen, is
// drawn a few frames later; until then a grab shows the old picture, or a
// blank surface. After either event the engine view carries WebEngine's frame
// mark and, from the next turn, the picture it showed then, until a
// screenshot sees a different one. Only headless sessions take screenshots;
// a window on a desktop is spared the grabs.
class FrameWatcher final : public QObject {
public:
    explicit FrameWatcher(QWidget* view)
        : view_(view)
    {
        const PlatformSession* session = PlatformSession::current();
        enabled_ = session && session->options().headless;
        if (enabled_)
            view->installEventFilter(this);
    }

    void pageLoaded()
    {
        hasPage_ = true;
        mark();
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show && hasPage_)
            mark();
        return false;
    }

private:
    void mark()
    {
        if (!enabled_ || !view_)
            return;
        view_->setProperty(WebEngine::kFrameMarkProperty, true);
        view_->setProperty(WebEngine::kFrameBeforeProperty, QVariant());
        // Not from inside the engine's report or the show: the surface is
        // drawn in its own time.
        QTimer::singleShot(0, this, [this] {
            if (view_ && view_->isVisible() && view_->property(WebEngine::kFrameMarkProperty).toBool())
                view_->setProperty(WebEngine::kFrameBeforeProperty, view_->grab().toImage());
        });
    }

    QPointer<QWidget> view_;
    bool enabled_ = false;
    bool hasPage_ = false;
};

class WebViewImpl final : public View::Impl, public webengine::PageClient {
public:
    WebViewImpl() : View::Impl(new BaseWidget) { }
    ~WebViewImpl() override
    {
        lifetime.end();
        // The engine may be inside one of this page's calls right now (a
        // delegate that drops its web view from a callback): the page stops
        // calling us at once, and the event loop deletes its view.
        engine.reset();
        releaseWidget();
    }

    WebView* view() const { return static_cast<WebView*>(self); }

    // ---- the engine, made at the first load

    // False when there is no engine to load with.
    bool ensureEngine()
    {
        if (engine)
            return true;
        webengine::Engine* e = WebEngine::engine();
        if (!e)
            return false;
        engine = e->makePage(widget, this, mediaRequiresUserAction);
        applyBackground();
        QWidget* engineView = engine->view();
        engineView->setGeometry(widget->rect());
        engineView->show();
        frames = std::make_unique<FrameWatcher>(engineView);
        gestures = std::make_unique<GestureWatcher>(&lastGesture);
        gestures->watch(engineView);
        WebEngine::adopt(engineView);
        return true;
    }

    // The page, while it lasts; the session may delete it before the web view.
    webengine::Page* page() const { return engine && engine->hasPage() ? engine.get() : nullptr; }
    QWidget* engineView() const { return engine ? engine->view() : nullptr; }

    void contentsSizeChanged() override { applyScaling(); }

    void applyBackground()
    {
        webengine::Page* page = this->page();
        if (!page)
            return;
        QColor c = qtui::toQColor(background);
        if (opaque)
            c = background.alpha > 0 ? QColor(c.red(), c.green(), c.blue()) : QColor(Qt::white);
        page->setBackgroundColor(c);
    }

    void backgroundChanged() override
    {
        View::Impl::backgroundChanged();
        applyBackground();
    }

    void frameChanged() override
    {
        QWidget* engineView = this->engineView();
        if (!engineView)
            return;
        engineView->setGeometry(widget->rect());
        applyScaling();
    }
    void scaleChanged() override { frameChanged(); }

    // Fits a page wider than the view by zooming out, no further than the
    // engine allows; never zooms in.
    void applyScaling()
    {
        webengine::Page* page = this->page();
        if (!page)
            return;
        // The page is laid out in points, like the rest of the window.
        double zoom = 1.0;
        double width = page->contentsWidth() / page->zoomFactor();
        if (scalesPageToFit && width > 0 && frame.width > 0)
            zoom = std::clamp(double(frame.width) / width, 0.25, 1.0);
        zoom = std::clamp(zoom * scale(), 0.25, 5.0);
        if (std::abs(zoom - page->zoomFactor()) > 0.005)
            page->setZoomFactor(zoom);
    }

    // ---- loads started here

    void loadHTML(const std::string& html, const std::optional<std::string>& baseURL)
    {
        QByteArray data = QByteArray::fromRawData(html.data(), qsizetype(html.size()));
        QUrl base = baseURL ? QUrl(qtui::toQString(*baseURL)) : QUrl();
        // Escaping triples a byte at most: only a long text needs measuring.
        if (kHtmlDataPrefix.size() + 3 * data.size() > kMaxDataUrlBytes
            && kHtmlDataPrefix.size() + data.toPercentEncoding().size() > kMaxDataUrlBytes) {
            UrlRequest request;
            request.url = base.isEmpty() ? "about:blank" : urlText(base);
            failWithoutEngine(request, Error(kURLErrorDomain, URLErrorDataLengthExceedsMaximum,
                "The HTML is too long for the web view (" + std::to_string(html.size()) + " bytes)."));
            return;
        }
        if (!ensureEngine()) {
            UrlRequest request;
            request.url = base.isEmpty() ? "about:blank" : urlText(base);
            failWithoutEngine(request, engineUnavailable());
            return;
        }
        pendingHtmlBase = base;
        pending = Pending::Html;
        ownLoadPending = true;
        engine->setHtml(QString::fromUtf8(data), base);
    }

    void load(const UrlRequest& request)
    {
        QUrl url(qtui::toQString(request.url), QUrl::StrictMode);
        if (request.url.empty() || !url.isValid() || url.scheme().isEmpty()) {
            failWithoutEngine(request, Error(kURLErrorDomain, URLErrorBadURL, "Not a URL: \"" + request.url + "\"."));
            return;
        }
        if (!ensureEngine()) {
            failWithoutEngine(request, engineUnavailable());
            return;
        }
        QList<QPair<QByteArray, QByteArray>> headers;
        QString referrer;
        for (const auto& [name, value] : request.headers) {
            QByteArray n = QByteArray::fromStdString(name);
            if (n.compare("Referer", Qt::CaseInsensitive) == 0)
                referrer = qtui::toQString(value);
            else
                headers.append({ n, QByteArray::fromStdString(value) });
        }
        pendingRequest = request;
        pending = Pending::Request;
        ownLoadPending = true;
        engine->load(url, headers, referrer);
    }

    // A load the engine cannot make (it would drop it without a word): the
    // delegate hears of it like any other failed load, on a later turn.
    void failWithoutEngine(UrlRequest request, Error error)
    {
        ownLoadPending = true;
        Lifetime::Watch token = lifetime.watch();
        RunLoop::main().post([this, token, request = std::move(request), error = std::move(error)]() mutable {
            auto gone = [&token] { return !token; };
            if (gone())
                return;
            ownLoadPending = false;
            if (std::string agent = userAgent(); !request.header("User-Agent") && !agent.empty())
                request.setHeader("User-Agent", agent);
            if (delegate && !delegate->shouldStartLoadWithRequest(*view(), request, NavigationType::Other))
                return;
            if (gone() || !delegate)
                return;
            delegate->webViewDidStartLoad(*view());
            if (!gone() && delegate)
                delegate->didFailLoadWithError(*view(), error);
        });
    }

    // The engine's own agent. Only loads ask for it, and they start the
    // engine anyway; without an engine there is none.
    std::string userAgent() const { return qtui::toStdString(WebEngine::userAgent()); }

    // ---- navigations

    bool acceptNavigation(const QUrl& url, EngineNavigation engineType, bool isMainFrame) override
    {
        UrlRequest request;
        NavigationType type = navigationType(engineType);
        bool ownLoad = false;
        if (isMainFrame && !approvedUrl.isEmpty() && url == approvedUrl) {
            // Asked already, as the page's request for a new window.
            approvedUrl.clear();
            request.url = urlText(url);
            request.setHeader("User-Agent", userAgent());
            current = request;
            return true;
        }
        if (isMainFrame && engineType == EngineNavigation::Typed && pending == Pending::Html
            && url.scheme() == QLatin1String("data")) {
            // Our own HTML load: the delegate sees the base URL it was given.
            request.url = pendingHtmlBase.isEmpty() ? "about:blank" : urlText(pendingHtmlBase);
            ownLoad = true;
        } else if (isMainFrame && engineType == EngineNavigation::Typed && pending == Pending::Request) {
            request = pendingRequest;
            request.url = urlText(url);
            ownLoad = true;
        } else {
            request.url = urlText(url);
            if (type == NavigationType::LinkClicked && !takeGesture())
                type = NavigationType::Other;
        }
        if (ownLoad)
            pending = Pending::None;
        if (!request.header("User-Agent"))
            request.setHeader("User-Agent", userAgent());

        bool allowed = true;
        if (delegate) {
            Lifetime::Watch token = lifetime.watch();
            allowed = delegate->shouldStartLoadWithRequest(*view(), request, type);
            if (!token)
                return false; // the delegate let the web view go
        }
        if (!allowed) {
            if (ownLoad)
                ownLoadPending = false;
            if (isMainFrame && (type == NavigationType::BackForward || type == NavigationType::Reload))
                historyPending = false;
            rememberRefused(url);
            return false;
        }
        // Allowed now, so the engine's reports on it are about a real load.
        std::erase(refused, url);
        if (isMainFrame) {
            current = request;
            if (started)
                loadUrls.push_back(url);
        }
        return true;
    }

    void newWindowNavigation(const QUrl& url, EngineNavigation engineType) override
    {
        NavigationType type = navigationType(engineType);
        if (type == NavigationType::LinkClicked && !takeGesture())
            type = NavigationType::Other;
        UrlRequest request;
        request.url = urlText(url);
        request.setHeader("User-Agent", userAgent());
        Lifetime::Watch token = lifetime.watch();
        bool allowed = !delegate || delegate->shouldStartLoadWithRequest(*view(), request, type);
        if (!token || !allowed)
            return;
        // A web view has one page: the new window's page is shown in place.
        approvedUrl = url;
        if (webengine::Page* page = this->page())
            page->load(url, {}, {});
    }

    bool takeGesture()
    {
        bool recent = lastGesture >= 0 && Clock::shared().monotonic() - lastGesture <= kGestureSeconds;
        lastGesture = -1;
        return recent;
    }

    void rememberRefused(const QUrl& url)
    {
        refused.push_back(url);
        while (refused.size() > kRefusedMemory)
            refused.pop_front();
    }

    bool isRefused(const QUrl& url, bool forget)
    {
        auto it = std::find(refused.begin(), refused.end(), url);
        if (it == refused.end())
            return false;
        if (forget)
            refused.erase(it);
        return true;
    }

    // ---- the engine's account of loads

    void loadingChanged(const LoadInfo& info) override
    {
        const QUrl url = info.url;
        switch (info.status) {
        case LoadInfo::Status::Started:
            // The engine announces even a navigation it was told not to make,
            // and one to a scheme it drops.
            if (isRefused(url, false) || !WebEngine::routesScheme(url.scheme()))
                return;
            started = true;
            ownLoadPending = false;
            historyPending = false;
            loadUrls.assign(1, url);
            if (delegate)
                delegate->webViewDidStartLoad(*view());
            return;
        case LoadInfo::Status::Succeeded:
            if (!started)
                return;
            started = false;
            frames->pageLoaded();
            applyScaling();
            if (delegate)
                delegate->webViewDidFinishLoad(*view());
            return;
        case LoadInfo::Status::Stopped:
        case LoadInfo::Status::Failed: {
            bool ours = std::find(loadUrls.begin(), loadUrls.end(), url) != loadUrls.end();
            // A navigation we refused, or one to a scheme the engine drops,
            // ends the current load too: that is the end of the page's load,
            // not its failure.
            bool refusedEnd = isRefused(url, true) || !WebEngine::routesScheme(url.scheme());
            if (!started)
                return;
            if (refusedEnd) {
                started = false;
                if (delegate)
                    delegate->webViewDidFinishLoad(*view());
                return;
            }
            if (!ours)
                return; // an earlier navigation that this load replaced
            started = false;
            if (info.errorDomain == LoadInfo::ErrorDomain::HttpStatus) {
                // The server answered with an error status and its page is
                // shown: a page like any other, as on the handheld.
                applyScaling();
                if (delegate)
                    delegate->webViewDidFinishLoad(*view());
                return;
            }
            if (delegate)
                delegate->didFailLoadWithError(*view(), loadError(info));
            return;
        }
        }
    }

    void urlChanged(const QUrl& url) override
    {
        // A move within the page loads nothing: it ends here.
        historyPending = false;
        if (url.isEmpty() || url.scheme() == QLatin1String("data"))
            return;
        if (started)
            loadUrls.push_back(url);
        if (current && current->url == urlText(url))
            return;
        UrlRequest request;
        request.url = urlText(url);
        request.setHeader("User-Agent", userAgent());
        current = request;
    }

    void rendererGone() override
    {
        started = false;
        ownLoadPending = false;
        historyPending = false;
        if (delegate)
            delegate->didFailLoadWithError(*view(),
                Error(kURLErrorDomain, URLErrorUnknown, "The web page's renderer process ended."));
    }

    // ---- script

    void evaluate(const std::string& script, std::function<void(const std::string&)> done)
    {
        Lifetime::Watch token = lifetime.watch();
        webengine::Page* page = this->page();
        if (!page) {
            // Nothing is loaded, so nothing can answer; the engine stays asleep.
            if (done)
                RunLoop::main().post([token, done = std::move(done)] {
                    if (token)
                        done({});
                });
            return;
        }
        page->runJavaScript(qtui::toQString(script), [token, done = std::move(done)](const QVariant& result) {
            // The engine also answers, empty, for a page being deleted.
            if (!done || !token)
                return;
            done(scriptResultText(result));
        });
    }

    void clickFirstLink(std::function<void(bool)> done)
    {
        Lifetime::Watch token = lifetime.watch();
        auto answer = [token, done](bool clicked) {
            if (done && token)
                done(clicked);
        };
        webengine::Page* page = this->page();
        if (!page || !engineView() || !engineView()->isVisible()) {
            RunLoop::main().post([answer] { answer(false); });
            return;
        }
        // The engine drops input that comes before the page's first frame is
        // on screen, without a trace: a click made too early would be lost.
        WebEngine::waitForFrames(widget, kFirstFrameMs);
        if (!token || !this->page() || !engineView()) {
            RunLoop::main().post([answer] { answer(false); });
            return;
        }
        // The link's centre in the viewport, after scrolling it into view.
        static const QString kFindLink = QStringLiteral(
            "(function(){var a=document.querySelector('a[href],area[href]');if(!a)return null;"
            "a.scrollIntoView({block:'center',inline:'center'});"
            "var r=a.getClientRects()[0]||a.getBoundingClientRect();"
            "return [r.left+r.width/2,r.top+r.height/2];})()");
        page->runJavaScript(kFindLink, [this, token, answer](const QVariant& result) {
            if (!token)
                return;
            QVariantList xy = result.toList();
            webengine::Page* page = this->page();
            QWidget* engineView = this->engineView();
            if (xy.size() != 2 || !page || !engineView) {
                answer(false);
                return;
            }
            QPointF point(xy[0].toDouble() * page->zoomFactor(), xy[1].toDouble() * page->zoomFactor());
            QWidget* target = engineView->focusProxy() ? engineView->focusProxy() : engineView;
            if (!QRectF(engineView->rect()).contains(point)) {
                answer(false);
                return;
            }
            QPointF local = target->mapFrom(engineView, point);
            QPointF global = target->mapToGlobal(local);
            QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QPointer<QWidget> guard = target;
            for (QMouseEvent* e : { &move, &press, &release })
                if (guard)
                    QCoreApplication::sendEvent(guard, e);
            answer(true);
        });
    }

    // ---- state

    WebViewDelegate* delegate = nullptr; // non-owning
    // Made at the first load: the engine's view, a child of widget, and its page.
    std::unique_ptr<webengine::Page> engine;
    std::unique_ptr<GestureWatcher> gestures;
    std::unique_ptr<FrameWatcher> frames;
    // Ends first thing in the destructor; callbacks that outlive the web view
    // check it.
    Lifetime lifetime;

    enum class Pending { None, Html, Request } pending = Pending::None;
    QUrl pendingHtmlBase;
    UrlRequest pendingRequest;
    bool ownLoadPending = false; // asked for, the engine not yet started on it
    bool historyPending = false; // back, forward or reload asked for, not yet started
    bool started = false;        // the delegate heard did-start and not yet its end
    std::vector<QUrl> loadUrls;  // the URLs the current load went through
    std::deque<QUrl> refused;
    QUrl approvedUrl;
    double lastGesture = -1;
    std::optional<UrlRequest> current;

    bool scalesPageToFit = false;
    bool inlineMediaPlayback = false;
    bool mediaRequiresUserAction = true;
    unsigned dataDetectors = DataDetectorTypePhoneNumber;
};

WebViewImpl& wimpl(const WebView& w) { return static_cast<WebViewImpl&>(w.impl()); }
}

void WebView::registerSchemes(const std::vector<std::string>& schemes)
{
    for (const auto& s : schemes)
        WebEngine::registerScheme(s);
}

WebView::WebView() : WebView(Rect {}) { }

WebView::WebView(Rect frame) : View(std::make_unique<WebViewImpl>())
{
    setBackgroundColor(Color::white());
    setFrame(frame);
}

WebView::~WebView() { wimpl(*this).lifetime.end(); }

Lifetime::Watch WebView::lifetimeWatch() const { return wimpl(*this).lifetime.watch(); }

void WebView::setDelegate(WebViewDelegate* delegate) { wimpl(*this).delegate = delegate; }
WebViewDelegate* WebView::delegate() const { return wimpl(*this).delegate; }

void WebView::loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL)
{
    wimpl(*this).loadHTML(html, baseURL);
}

void WebView::loadRequest(const UrlRequest& request) { wimpl(*this).load(request); }

void WebView::stringByEvaluatingJavaScriptFromString(const std::string& script, std::function<void(const std::string&)> done)
{
    wimpl(*this).evaluate(script, std::move(done));
}

// Back, forward and reload count as loading from the moment they are asked,
// as the other loads do: the engine starts on them a little later.
void WebView::goBack()
{
    auto& w = wimpl(*this);
    if (!w.page() || !canGoBack())
        return;
    w.historyPending = true;
    w.page()->trigger(webengine::Page::Action::Back);
}

void WebView::goForward()
{
    auto& w = wimpl(*this);
    if (!w.page() || !canGoForward())
        return;
    w.historyPending = true;
    w.page()->trigger(webengine::Page::Action::Forward);
}

void WebView::reload()
{
    auto& w = wimpl(*this);
    if (!w.page() || !w.current)
        return;
    w.historyPending = true;
    w.page()->trigger(webengine::Page::Action::Reload);
}

void WebView::stopLoading()
{
    auto& w = wimpl(*this);
    w.pending = WebViewImpl::Pending::None;
    w.ownLoadPending = false;
    w.historyPending = false;
    if (w.page())
        w.page()->trigger(webengine::Page::Action::Stop);
}

bool WebView::canGoBack() const
{
    webengine::Page* page = wimpl(*this).page();
    return page && page->canGoBack();
}

bool WebView::canGoForward() const
{
    webengine::Page* page = wimpl(*this).page();
    return page && page->canGoForward();
}

bool WebView::isLoading() const
{
    const auto& w = wimpl(*this);
    return w.started || w.ownLoadPending || w.historyPending;
}

std::optional<UrlRequest> WebView::request() const { return wimpl(*this).current; }

void WebView::setScalesPageToFit(bool on)
{
    wimpl(*this).scalesPageToFit = on;
    wimpl(*this).applyScaling();
}
bool WebView::scalesPageToFit() const { return wimpl(*this).scalesPageToFit; }

// The desktop engine always plays media in the page; the flag is kept for callers.
void WebView::setAllowsInlineMediaPlayback(bool on) { wimpl(*this).inlineMediaPlayback = on; }
bool WebView::allowsInlineMediaPlayback() const { return wimpl(*this).inlineMediaPlayback; }

void WebView::setMediaPlaybackRequiresUserAction(bool on)
{
    wimpl(*this).mediaRequiresUserAction = on;
    if (webengine::Page* page = wimpl(*this).page())
        page->setPlaybackRequiresUserGesture(on);
}
bool WebView::mediaPlaybackRequiresUserAction() const { return wimpl(*this).mediaRequiresUserAction; }

void WebView::setDataDetectorTypes(unsigned types) { wimpl(*this).dataDetectors = types; }
unsigned WebView::dataDetectorTypes() const { return wimpl(*this).dataDetectors; }

void WebView::simulateClickOnFirstLink(std::function<void(bool)> done) { wimpl(*this).clickFirstLink(std::move(done)); }

}
