#pragma once
// Runs an automation script against the application, headless on the
// virtual clock: launches it, plays the player's part, turns the device,
// drives the lifecycle, renders screenshots and dumps the state as JSON.
// It does not create the platform session; the caller brings one up first.

#include "ScriptParser.h"

#include "platform/Value.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

    bool isLaunched() const { return launched_; }
    TolvaneAppDelegate* delegate() const { return delegate_.get(); }
    TolvaneViewController* controller() const;
    WindowCommands* commands() const { return commands_.get(); }

private:
    int fail(const ScriptCommand& command, const std::string& reason, int code = kBadScript);
    int launch();

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
