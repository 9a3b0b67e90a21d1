#include "WebEngine.h"

#include "QtConvert.h"
#include "WebViewPage.h"
#include "platform/Console.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QImage>
#include <QWebEngineView>
#include <QWidget>

#include <memory>
#include <vector>

namespace platform {

namespace {

// Our schemes carry messages, not pages: a navigation the delegate let through
// still has nothing to load, and a subresource (an image with such a source)
// gets nothing either.
class RefusingSchemeHandler final : public QWebEngineUrlSchemeHandler {
public:
    void requestStarted(QWebEngineUrlRequestJob* job) override { job->fail(QWebEngineUrlRequestJob::RequestDenied); }
};

// The schemes the engine loads by itself; they need no registration and
// cannot be given one.
const QSet<QString>& engineSchemes()
{
    static const QSet<QString> schemes {
        QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("data"), QStringLiteral("about"),
        QStringLiteral("blob"), QStringLiteral("file"), QStringLiteral("filesystem"), QStringLiteral("javascript"),
        QStringLiteral("ws"), QStringLiteral("wss"), QStringLiteral("qrc"), QStringLiteral("view-source"),
        QStringLiteral("chrome"), QStringLiteral("devtools"),
    };
    return schemes;
}

struct EngineState {
    // Links to these exist on ordinary pages; without a registration the
    // engine drops them before any delegate could see them.
    QSet<QString> schemes { QStringLiteral("mailto"), QStringLiteral("tel") };
    bool schemesSent = false;
    QWebEngineProfile* profile = nullptr; // owned; deleted at release()
    std::unique_ptr<RefusingSchemeHandler> handler;
    std::vector<QPointer<QWidget>> views; // owned until the event loop deletes them
    std::vector<QPointer<WebViewPage>> readyPages; // owned until a web view takes one; made ahead
    bool refillScheduled = false;
};

EngineState& state()
{
    static EngineState s; // the engine is one per process
    return s;
}

// Pages kept ready: an ad takes two (the hidden page that builds its URL, then
// the banner's page at its first ad), a click on it one more. A ready page
// holds a renderer process of its own, about 70 MB resident, nearly all of it
// shared with the engine's other processes (about 5 MB proportional).
constexpr size_t kReadyPages = 2;
// How long after a page is taken its replacement is made: not inside the load
// that took it, which a renderer starting meanwhile would slow down. The
// engine's first load, which starts it, takes longer.
constexpr int kReadyPageDelayMs = 100;
constexpr int kFirstReadyPageDelayMs = 1000;

void scheduleReadyPage(int delayMs = kReadyPageDelayMs);

bool validSchemeName(const QString& s)
{
    if (s.isEmpty() || !s[0].isLetter())
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '+' && c != '-' && c != '.')
            return false;
    return true;
}

// The engine reads its scheme table once, when it starts.
void sendSchemes()
{
    auto& st = state();
    if (st.schemesSent)
        return;
    st.schemesSent = true;
    for (const QString& name : st.schemes) {
        QWebEngineUrlScheme scheme(name.toLatin1());
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}
}

void WebEngine::registerScheme(const std::string& text)
{
    QString name = qtui::toQString(text).toLower();
    if (!validSchemeName(name) || engineSchemes().contains(name))
        return;
    auto& st = state();
    if (st.schemes.contains(name))
        return;
    if (st.schemesSent) {
        Console::log("web view: scheme \"" + text + "\" registered after the web engine started; its navigations will not reach the delegates");
        return;
    }
    st.schemes.insert(name);
}

bool WebEngine::routesScheme(const QString& scheme)
{
    QString s = scheme.toLower();
    return engineSchemes().contains(s) || state().schemes.contains(s);
}

bool WebEngine::isStarted() { return state().profile != nullptr; }

QWebEngineProfile* WebEngine::profile()
{
    auto& st = state();
    if (st.profile)
        return st.profile;
    sendSchemes();
    // No storage name: off the record, nothing written to disk.
    st.profile = new QWebEngineProfile();
    st.handler = std::make_unique<RefusingSchemeHandler>();
    for (const QString& name : st.schemes)
        st.profile->installUrlSchemeHandler(name.toLatin1(), st.handler.get());
    return st.profile;
}

namespace {

// A page whose renderer is up, made between loads. Running script makes the
// engine set the page up and start a renderer for its empty document; the
// empty document leaves no history behind, and the renderer serves whatever
// site the page goes to first.
void makeReadyPage()
{
    auto& st = state();
    st.refillScheduled = false;
    std::erase_if(st.readyPages, [](const QPointer<WebViewPage>& p) { return p.isNull(); });
    if (!st.profile || st.readyPages.size() >= kReadyPages)
        return;
    auto* page = new WebViewPage(st.profile, nullptr, nullptr);
    st.readyPages.emplace_back(page);
    page->runJavaScript(QStringLiteral("0"));
    // A renderer that dies while the page waits would fail its taker's first
    // load: such a page is dropped and made again.
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, page, [page] {
        auto& st = state();
        if (std::erase(st.readyPages, page) == 0)
            return;
        page->deleteLater();
        scheduleReadyPage();
    });
    scheduleReadyPage();
}

void scheduleReadyPage(int delayMs)
{
    auto& st = state();
    if (st.refillScheduled || st.readyPages.size() >= kReadyPages)
        return;
    st.refillScheduled = true;
    QTimer::singleShot(delayMs, QCoreApplication::instance(), makeReadyPage);
}

}

WebViewPage* WebEngine::takePage()
{
    const bool starting = !isStarted();
    QWebEngineProfile* engineProfile = profile();
    auto& st = state();
    WebViewPage* page = nullptr;
    while (!page && !st.readyPages.empty()) {
        page = st.readyPages.front();
        st.readyPages.erase(st.readyPages.begin());
    }
    if (!page)
        page = new WebViewPage(engineProfile, nullptr, nullptr);
    scheduleReadyPage(starting ? kFirstReadyPageDelayMs : kReadyPageDelayMs);
    return page;
}

void WebEngine::adopt(QWidget* engineView)
{
    auto& v = state().views;
    std::erase_if(v, [](const QPointer<QWidget>& p) { return p.isNull(); });
    v.emplace_back(engineView);
}

namespace {

// Whether the view shows its page now: a picture other than the one it showed
// when the page ended its load or came on screen. Until that picture is taken
// (on the turn after), the view counts as not drawn.
bool showsPage(QWebEngineView& view)
{
    const QVariant before = view.property(WebEngine::kFrameBeforeProperty);
    if (!before.isValid())
        return false;
    const QImage picture = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    return picture != before.value<QImage>().convertToFormat(QImage::Format_ARGB32);
}

void settle(QWidget& view)
{
    view.setProperty(WebEngine::kFrameMarkProperty, false);
    view.setProperty(WebEngine::kFrameBeforeProperty, QVariant());
}

}

bool WebEngine::waitForFrames(QWidget* root, int timeoutMs)
{
    const auto pending = [root] {
        bool any = false;
        for (const QPointer<QWidget>& widget : state().views) {
            auto* view = qobject_cast<QWebEngineView*>(widget.data());
            if (!view || !view->isVisible() || !root->isAncestorOf(view) || !view->property(kFrameMarkProperty).toBool())
                continue;
            if (showsPage(*view))
                settle(*view);
            else
                any = true;
        }
        return any;
    };
    QElapsedTimer clock;
    clock.start();
    while (pending()) {
        if (clock.elapsed() >= timeoutMs) {
            // A page that looks like the picture before it is drawn like that:
            // later screenshots take it as it is.
            for (const QPointer<QWidget>& view : state().views)
                if (view && view->isVisible() && root->isAncestorOf(view))
                    settle(*view);
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // The frame is made in the engine's own threads and processes.
        QThread::msleep(2);
    }
    return true;
}

void WebEngine::release()
{
    auto& st = state();
    // Pages first: the engine warns, and may crash at exit, when a profile
    // goes before a page that uses it.
    for (auto& view : st.views)
        delete view.data();
    st.views.clear();
    for (auto& page : st.readyPages)
        delete page.data();
    st.readyPages.clear();
    st.refillScheduled = false;
    if (st.profile) {
        st.profile->removeAllUrlSchemeHandlers();
        delete st.profile;
        st.profile = nullptr;
    }
    st.handler.reset();
}

}
