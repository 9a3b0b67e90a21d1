#pragma once
// Reads an automation script into checked commands: one command a line,
// blank lines and '#' comments skipped. It checks what can be checked from
// the text alone; whether a control or an alert exists is the runner's part.

#include "platform/Value.h"
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

struct ScriptCommand {
    enum class Kind {
        Clock, Settings, Unset, Launch, Tap, Wheel, Name, Poison, Reset, HardReset,
        Alert, Rotate, Advance, Background, Foreground, Terminate, Screenshot, Dump,
        Key, Undo, Redo, WindowSize, WaitFor, Wait, ClickAd,
        WaitForFullScreen, Composer,
    };
    Kind kind = Kind::Dump;
    int line = 0;             // 1-based line number in the script
    std::string word;         // tap: control name; unset: key; screenshot: file; name: text; key: key sequence;
                              // waitfor fullscreen: kind; composer: send or cancel
    std::vector<std::pair<std::string, platform::Value>> settings; // settings: in order
    int first = 0;            // wheel: component; name: player; alert: index; rotate: orientation; window: width; waitfor: state
    int second = 0;           // wheel: row; window: height
    bool on = false;          // poison
    double seconds = 0;       // advance: virtual seconds; wait, waitfor: real seconds
    int dateTime[6] = { 0, 0, 0, 0, 0, 0 }; // clock: year, month, day, hour, minute, second
};

struct ScriptError {
    int line = 0;
    std::string reason;
    std::string message() const { return "line " + std::to_string(line) + ": " + reason; }
};

class ScriptParser {
public:
    // The longest single `advance`: a day of virtual time. Every game-timer
    // tick on the way runs, so a runaway value would keep the run busy for hours.
    static constexpr double kMaxAdvanceSeconds = 86400;
    // The longest text `name` types, far past any player's name: it goes in
    // one key event a character, and the field itself stops at 32767.
    static constexpr size_t kMaxNameBytes = 256;
    // The longest `wait` or `waitfor`, in real time: ten minutes.
    static constexpr double kMaxWaitSeconds = 600;

    struct Result {
        std::vector<ScriptCommand> commands;
        std::optional<ScriptError> error; // the first faulty line; commands then holds the lines before it
    };
    static Result parse(std::string_view script);
    // One line (without its line feed); nothing for a blank or comment line.
    static std::optional<ScriptCommand> parseLine(std::string_view line, int lineNumber, std::optional<ScriptError>& error);
};

}
