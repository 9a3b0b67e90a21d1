#include "WebEngine.h"

#include "QtConvert.h"
#include "platform/Console.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLibrary>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

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
    bool tried = false;
    webengine::Engine* engine = nullptr; // made once, kept to the end of the process
    std::string unavailable;
    std::vector<QPointer<QWidget>> views; // owned until the event loop deletes them
};

EngineState& state()
{
    static EngineState s; // the engine is one per process
    return s;
}

bool validSchemeName(const QString& s)
{
    if (s.isEmpty() || !s[0].isLetter())
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '+' && c != '-' && c != '.')
            return false;
    return true;
}

// Where the module may be: where the environment says, else next to the
// program (as installed, and in the build tree), else where this build put
// it (tests and benchmarks run from folders of their own).
QStringList moduleCandidates()
{
    if (const char* path = std::getenv("TOLVANE_WEBENGINE_MODULE"); path && *path)
        return { QString::fromLocal8Bit(path) };
    QStringList paths { QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TOLVANE_WEBENGINE_MODULE_NAME)) };
#ifdef TOLVANE_WEBENGINE_MODULE_BUILD_PATH
    paths << QStringLiteral(TOLVANE_WEBENGINE_MODULE_BUILD_PATH);
#endif
    return paths;
}

// Loading the engine after the application object makes it warn that its
// start-up was missed; the module makes up for it before the engine starts
// (see the module), so the warning would only mislead.
QtMessageHandler previousHandler = nullptr;

void dropLateStartWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

webengine::Engine* loadEngine(std::string& why)
{
    QStringList failures;
    for (const QString& path : moduleCandidates()) {
        if (!QFileInfo::exists(path)) {
            failures << path + QStringLiteral(": not found");
            continue;
        }
        QLibrary library(path);
        previousHandler = qInstallMessageHandler(dropLateStartWarning);
        const bool loaded = library.load();
        qInstallMessageHandler(previousHandler);
        if (!loaded) {
            failures << library.errorString();
            continue;
        }
        auto create = reinterpret_cast<webengine::CreateFunction>(library.resolve(webengine::kEntryPoint));
        webengine::ModuleContext context;
        context.schemes = QStringList(state().schemes.begin(), state().schemes.end());
        context.log = [](const std::string& text) { Console::log(text); };
        webengine::Engine* engine = create ? create(webengine::kInterfaceVersion, context) : nullptr;
        if (engine)
            return engine; // the module stays loaded to the end of the process
        failures << path + QStringLiteral(": not a web engine module of this build");
        library.unload();
    }
    why = qtui::toStdString(failures.join(QStringLiteral("; ")));
    return nullptr;
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
    if (st.tried) {
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

bool WebEngine::isStarted() { return state().engine != nullptr; }

webengine::Engine* WebEngine::engine()
{
    auto& st = state();
    if (st.tried)
        return st.engine;
    st.tried = true;
    st.engine = loadEngine(st.unavailable);
    if (!st.engine)
        Console::log("web view: the web engine could not be loaded (" + st.unavailable + "); web pages cannot be shown");
    return st.engine;
}

const std::string& WebEngine::unavailableReason() { return state().unavailable; }

QString WebEngine::userAgent()
{
    webengine::Engine* e = engine();
    return e ? e->userAgent() : QString();
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
bool showsPage(QWidget& view)
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
            QWidget* view = widget.data();
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
    if (st.engine)
        st.engine->release();
}

}
