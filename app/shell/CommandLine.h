#pragma once
// The command line of the tolvane program: its options, their checks and the
// help text. It only reads arguments and the environment; it runs nothing.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct CommandLineOptions {
    bool help = false;
    bool version = false;
    bool settingsWindow = false;
    std::optional<std::string> home;
    std::vector<std::string> assignments; // --set KEY=VALUE, in order
    std::optional<std::string> script;
    std::optional<std::string> screenshot;
};

class CommandLine {
public:
    // Arguments without the program name. Nothing, with a message, for an
    // unknown option, a missing value or a stray argument.
    static std::optional<CommandLineOptions> parse(const std::vector<std::string>& args, std::string* error = nullptr);
    static std::string usage();
    static std::string versionText(); // "tolvane 1.0.0"

    // Whether a window can be opened: an X or Wayland display is named, or
    // Qt was told which platform to use.
    static bool displayAvailable(const std::function<const char*(const char*)>& getenv);
    static std::string noDisplayMessage();
};

}
