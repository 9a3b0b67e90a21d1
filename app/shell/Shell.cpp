#include "Shell.h"

#include "Automation.h"
#include "Launcher.h"
#include "SettingsKeys.h"
#include "SettingsWindow.h"
#include "TolvaneAppDelegate.h"
#include "WindowCommands.h"

#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/PlatformSession.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/ui/Application.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace tolvane {

namespace {

// The platform session of one run: the toolkit keeps a reference to the
// argument count for the whole run and must not see our own options, so it
// gets the program name alone; the rest depends on the mode.
class Session {
public:
    enum class Kind {
        Window,     // on the desktop
        Headless,   // no window at all (--set)
        Automation, // offscreen, on the virtual clock, URL openings recorded
    };
    Session(Kind kind, const std::string& home, const char* program = nullptr)
        : name_(program ? program : "tolvane")
        , argv_ { name_.data(), nullptr }
        , session_(argc_, argv_, options(kind, home))
    {
    }

private:
    static platform::PlatformOptions options(Kind kind, const std::string& home)
    {
        platform::PlatformOptions o;
        o.home = home;
        o.headless = kind != Kind::Window;
        o.virtualClock = kind == Kind::Automation;
        o.recordOpenedUrls = kind == Kind::Automation;
        return o;
    }

    std::string name_;
    int argc_ = 1;
    char* argv_[2];
    platform::PlatformSession session_;
};

// A throw-away container for scripts run without --home, so that a test run
// never touches the player's own saved game or settings.
class TemporaryHome {
public:
    TemporaryHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-script-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data()))
            path_ = made;
    }
    ~TemporaryHome()
    {
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path_, ec);
        }
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}

int Shell::main(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    std::string error;
    auto options = CommandLine::parse(args, &error);
    if (!options) {
        std::cerr << "tolvane: " << error << "\nTry 'tolvane --help' for more information." << std::endl;
        return 2;
    }
    if (options->help) {
        std::cout << CommandLine::usage();
        return 0;
    }
    if (options->version) {
        std::cout << CommandLine::versionText() << std::endl;
        return 0;
    }

    // A home that cannot hold the saved game would lose every save silently.
    if (options->home
        && !(platform::FileSystem::createDirectories(*options->home) && platform::FileSystem::isDirectory(*options->home))) {
        std::cerr << "tolvane: cannot use " << *options->home << " as the home folder" << std::endl;
        return 1;
    }

    bool onlySettings = !options->assignments.empty() && !options->settingsWindow && !options->script && !options->screenshot;
    // Beside a script, --set waits until the script is read and checked (see
    // runAutomation): a script that never runs leaves the settings alone, and
    // one without --home keeps them in its temporary home, never the player's.
    if (!options->assignments.empty() && !options->script) {
        int rc;
        {
            Session session(Session::Kind::Headless, options->home.value_or(""), argc > 0 ? argv[0] : nullptr);
            rc = applyAssignments(options->assignments, std::cerr);
        }
        if (rc != 0 || onlySettings)
            return rc;
    }

    if (options->script || options->screenshot)
        return runAutomation(*options);

    if (!CommandLine::displayAvailable([](const char* name) { return std::getenv(name); })) {
        std::cerr << CommandLine::noDisplayMessage();
        return 1;
    }
    if (options->settingsWindow)
        return runSettingsWindow(*options);
    return runWindow(*options);
}

int Shell::applyAssignments(const std::vector<std::string>& assignments, std::ostream& err)
{
    std::vector<std::pair<const SettingsKeys::Key*, platform::Value>> parsed;
    for (const auto& text : assignments) {
        std::string reason;
        auto assignment = SettingsKeys::parseAssignment(text, &reason);
        if (!assignment) {
            err << "tolvane: --set " << text << ": " << reason << std::endl;
            return 2;
        }
        parsed.push_back(std::move(*assignment));
    }
    auto& store = platform::UserDefaults::standard();
    for (const auto& [key, value] : parsed)
        store.setObject(key->name, value);
    if (!store.synchronize()) {
        err << "tolvane: cannot write the settings to " << store.filePath() << std::endl;
        return 1;
    }
    return 0;
}

int Shell::runWindow(const CommandLineOptions& options)
{
    Session session(Session::Kind::Window, options.home.value_or(""));

    int rc;
    {
        // Signals are routed first, so that one arriving during the start-up
        // still ends the session through termination once the loop turns.
        platform::DesktopShell desktop;
        desktop.installSignalHandlers();
        auto delegate = Launcher::launch();
        auto& app = platform::Application::shared();
        std::unique_ptr<WindowCommands> commands;
        if (desktop.attach(*delegate->window)) {
            desktop.fitToScreen();
            commands = std::make_unique<WindowCommands>(*delegate, desktop, platform::UserDefaults::standard());
        } else {
            std::cerr << "tolvane: the window could not be tied to the desktop session" << std::endl;
        }
        rc = platform::RunLoop::main().run();
        // The game is saved on every way out; a loop that ended by itself
        // (the toolkit quitting) still terminates the application first.
        if (!desktop.hasTerminated()) {
            desktop.onQuit = nullptr;
            desktop.quit();
        }
        // The window that would show the failure is gone: the exit status
        // says it instead, beside the console line with the reason.
        if (delegate->viewController && delegate->viewController->lastSaveFailed()) {
            std::cerr << "tolvane: the game's last changes could not be saved" << std::endl;
            rc = 1;
        }
        commands.reset();
        desktop.detach();
        app.setDelegate(nullptr);
    }
    return rc;
}

int Shell::runSettingsWindow(const CommandLineOptions& options)
{
    Session session(Session::Kind::Window, options.home.value_or(""));
    platform::DesktopShell desktop;
    desktop.installSignalHandlers();
    SettingsWindow settings(platform::UserDefaults::standard());
    settings.show();
    desktop.attach(settings.window());
    const int rc = platform::RunLoop::main().run();
    desktop.detach();
    // A change the store could not write is still held: one last try, and a
    // failure that says so rather than an exit that looks like success.
    if (!platform::UserDefaults::standard().synchronize()) {
        std::cerr << "tolvane: cannot write the settings to " << platform::UserDefaults::standard().filePath() << std::endl;
        return rc == 0 ? 1 : rc;
    }
    return rc;
}

int Shell::runAutomation(const CommandLineOptions& options)
{
    std::string script;
    if (options.script) {
        // No script comes near this; /dev/zero or a runaway file would take
        // the memory with it.
        constexpr long long kMaxScriptBytes = 4 * 1024 * 1024;
        auto text = platform::FileSystem::readFile(*options.script, kMaxScriptBytes);
        if (!text) {
            std::cerr << "tolvane: cannot read the script " << *options.script << ": "
                      << (text.error().code == EFBIG ? std::string("it is longer than 4 MiB") : text.error().message) << std::endl;
            return 1;
        }
        script = std::move(*text);
    } else {
        script = "launch\n";
    }
    // Check the script before anything starts.
    auto parsed = ScriptParser::parse(script);
    if (parsed.error) {
        std::cerr << parsed.error->message() << std::endl;
        return Automation::kBadScript;
    }

    std::optional<TemporaryHome> temporary;
    std::string home;
    if (options.home) {
        home = *options.home;
    } else if (options.script) {
        temporary.emplace();
        if (temporary->path().empty()) {
            std::cerr << "tolvane: cannot create a temporary folder" << std::endl;
            return 1;
        }
        home = temporary->path();
    }

    int rc;
    {
        Session session(Session::Kind::Automation, home);
        if (options.script && !options.assignments.empty()) {
            if (int applied = applyAssignments(options.assignments, std::cerr); applied != 0)
                return applied;
        }
        platform::Console::setKeepingLines(true);
        platform::Console::setEcho(false);
        Automation automation(std::cout, std::cerr);
        rc = automation.run(parsed.commands);
        if (rc == Automation::kSuccess && options.screenshot) {
            if (!automation.isLaunched()) {
                ScriptCommand launch;
                launch.kind = ScriptCommand::Kind::Launch;
                rc = automation.execute(launch);
            }
            if (rc == Automation::kSuccess && !automation.screenshot(*options.screenshot)) {
                std::cerr << "tolvane: cannot write the screenshot to " << *options.screenshot << std::endl;
                rc = Automation::kFailure;
            }
        }
        platform::Application::shared().setDelegate(nullptr);
    }
    return rc;
}

}
