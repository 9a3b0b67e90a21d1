#pragma once
// Runs an automation script against the application, headless on the
// virtual clock: launches it, plays the player's part, turns the device,
// drives the lifecycle, waits for the ad banner in real time, renders
// screenshots and dumps the state as JSON. It does not create the platform
// session; the caller brings one up first.

#include "ScriptParser.h"

#include "platform/Value.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class ViewController;
}
class TolvaneAppDelegate;
class TolvaneViewController;

namespace platform {
class DesktopShell;
}

namespace tolvane {

class WindowCommands;

class Automation {
public:
    // Script output (dumps) goes to `out`, "line N: reason" errors to `err`.
    Automation(std::ostream& out, std::ostream& err);
    ~Automation();
    Automation(const Automation&) = delete;
    Automation& operator=(const Automation&) = delete;

    // Exit codes of a run.
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;  // the environment failed (a screenshot could not be written)
    static constexpr int kBadScript = 2; // unknown command, bad argument, or a command out of place
    static constexpr int kTimedOut = 3;  // a real-time wait ran out (waitfor, clickad)
    // How long clickad waits for the page to find its link, and then for the
    // click to reach the bridge as a navigation.
    static constexpr double kClickSeconds = 10;

    // Parses the whole script first, so that a faulty line stops the run
    // before anything has happened, then runs the commands in order.
    int runScript(std::string_view script);
    int run(const std::vector<ScriptCommand>& commands);
    // One command; kSuccess or an exit code, the reason already written to `err`.
    int execute(const ScriptCommand& command);

    // The state as one JSON object (see the automation mode's dump keys).
    platform::Value dumpValue();
    // Renders the window; false when nothing is launched or the file cannot be written.
    bool screenshot(const std::string& path);

    // Runs the real event loop (network, web engine) until `done` holds or
    // `seconds` of real time have passed; false on the latter. The virtual
    // clock stands still meanwhile: timers on it fire only through `advance`.
    static bool runRealEvents(double seconds, const std::function<bool()>& done);

    bool isLaunched() const { return launched_; }
    TolvaneAppDelegate* delegate() const { return delegate_.get(); }
    TolvaneViewController* controller() const;
    WindowCommands* commands() const { return commands_.get(); }

private:
    int fail(const ScriptCommand& command, const std::string& reason, int code = kBadScript);
    int launch();
    int clickAd(const ScriptCommand& command);
    // The dump's "banner": null without one.
    platform::Value bannerValue() const;
    // The dump's "fullScreen": the full-screen controllers that are up,
    // bottom first, one object each.
    platform::Value fullScreenValue() const;
    // Full-screen content (AutomationFullScreen.cpp): the controllers
    // presented above the game, bottom first; waiting for one on top; the
    // taps on its items (`handled` false when the name is none of theirs);
    // the composer's two buttons.
    std::vector<platform::ViewController*> fullScreenStack() const;
    int waitForFullScreen(const ScriptCommand& command);
    int tapFullScreen(const ScriptCommand& command, bool& handled);
    int composer(const ScriptCommand& command);

    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<TolvaneAppDelegate> delegate_;
    // The window's keys and menu, as on the desktop; they go before the delegate.
    std::unique_ptr<platform::DesktopShell> desktop_;
    std::unique_ptr<WindowCommands> commands_;
    bool launched_ = false;
    bool terminated_ = false;
};

}
