// Brings up Qt's application object, the clock, the container and the
// bundle facts for one process, and takes them down in reverse order.
#include "platform/PlatformSession.h"

#include "RunLoopImpl.h"
#include "net/NetworkAccess.h"
#include "ui/WebEngine.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <optional>
#include <string>

#include <cstdlib>
#include <cstring>

#ifndef TOLVANE_BUNDLE_ID
#define TOLVANE_BUNDLE_ID "org.tolvane.Tolvane"
#endif

namespace platform {

namespace {
PlatformSession* currentSession = nullptr;

bool envSet(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

// "--home DIR" or "--home=DIR" on the command line.
std::string homeFromArguments(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc && argv[i + 1])
            return argv[i + 1];
        if (std::strncmp(argv[i], "--home=", 7) == 0)
            return argv[i] + 7;
    }
    return "";
}
}

struct PlatformSession::Impl {
    std::unique_ptr<QApplication> app;
    // The toolkit's platform as the process had it before this session chose
    // one: a later session of another kind (a window after a headless
    // --set) must find the desktop's choice again, not ours.
    std::optional<std::string> previousPlatform;
    bool choseOffscreen = false;
};

PlatformSession::PlatformSession(int& argc, char** argv, PlatformOptions options)
    : options_(std::move(options)), impl_(std::make_unique<Impl>())
{
    currentSession = this;
    if (const char* qpa = std::getenv("QT_QPA_PLATFORM"))
        impl_->previousPlatform = qpa;
    if (options_.headless) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        impl_->choseOffscreen = true;
    } else if (!displayAvailable()) {
        // Without a display Qt would abort; running offscreen keeps the
        // program (and its saved game) alive instead.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        impl_->choseOffscreen = true;
        Console::log("no display available; running offscreen");
    }

    std::string home = options_.home;
    if (home.empty())
        home = homeFromArguments(argc, argv);
    if (home.empty() && envSet("TOLVANE_HOME"))
        home = std::getenv("TOLVANE_HOME");
    if (!home.empty())
        Paths::setContainer(home);
    if (!options_.resources.empty())
        Paths::setResourcesDirectory(options_.resources);
    Bundle::setIdentifier(envSet("TOLVANE_BUNDLE_ID") ? std::getenv("TOLVANE_BUNDLE_ID") : TOLVANE_BUNDLE_ID);

    if (options_.virtualClock) {
        virtualClock_ = std::make_unique<VirtualClock>();
        Clock::install(virtualClock_.get());
    }
    if (!QCoreApplication::instance()) {
        QCoreApplication::setApplicationName(QString::fromStdString(options_.applicationName));
        impl_->app = std::make_unique<QApplication>(argc, argv);
    }
    Application::shared().setRecordingOpenedURLs(options_.recordOpenedUrls);
}

PlatformSession::~PlatformSession()
{
    RunLoop::main().impl().releaseToolkit();
    // The network layer owns a Qt worker thread: stop it while the
    // application object is still whole, not from inside its destructor.
    releaseNetworkAccess();
    // Web pages, then the engine's profile, while the application object is whole.
    WebEngine::release();
    impl_->app.reset();
    if (impl_->choseOffscreen) {
        if (impl_->previousPlatform)
            setenv("QT_QPA_PLATFORM", impl_->previousPlatform->c_str(), 1);
        else
            unsetenv("QT_QPA_PLATFORM");
    }
    if (virtualClock_)
        Clock::install(nullptr);
    if (currentSession == this)
        currentSession = nullptr;
}

PlatformSession* PlatformSession::current() { return currentSession; }

bool PlatformSession::displayAvailable()
{
    if (const char* qpa = std::getenv("QT_QPA_PLATFORM"); qpa && *qpa) {
        std::string p = qpa;
        if (p.rfind("offscreen", 0) == 0 || p.rfind("minimal", 0) == 0 || p.rfind("vnc", 0) == 0)
            return true;
    }
    return envSet("DISPLAY") || envSet("WAYLAND_DISPLAY");
}

}
