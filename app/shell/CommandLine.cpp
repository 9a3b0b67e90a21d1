#include "CommandLine.h"

#include "platform/Utf8.h"

#ifndef TOLVANE_VERSION
#define TOLVANE_VERSION "0.0.0"
#endif

namespace tolvane {

namespace {

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

}

std::optional<CommandLineOptions> CommandLine::parse(const std::vector<std::string>& args, std::string* error)
{
    CommandLineOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        const auto takesNoValue = [&]() {
            if (inlineValue) {
                setError(error, "option " + arg + " takes no value");
                return false;
            }
            return true;
        };

        if (arg == "--help" || arg == "-h") {
            if (!takesNoValue())
                return std::nullopt;
            options.help = true;
        } else if (arg == "--version") {
            if (!takesNoValue())
                return std::nullopt;
            options.version = true;
        } else if (arg == "--settings") {
            if (!takesNoValue())
                return std::nullopt;
            options.settingsWindow = true;
        } else if (arg == "--home" || arg == "--set" || arg == "--script" || arg == "--screenshot") {
            auto v = value();
            if (!v || v->empty()) {
                setError(error, "option " + arg + " needs a value");
                return std::nullopt;
            }
            if (arg == "--home")
                options.home = *v;
            else if (arg == "--set")
                options.assignments.push_back(*v);
            else if (arg == "--script")
                options.script = *v;
            else if (platform::utf8::isValid(*v))
                options.screenshot = *v;
            else {
                // The toolkit writes the picture through a Unicode name, so
                // broken bytes would land under another name than the one asked.
                setError(error, "--screenshot " + *v + ": the file name is not valid UTF-8");
                return std::nullopt;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            setError(error, "unknown option " + arg);
            return std::nullopt;
        } else {
            setError(error, "unexpected argument \"" + arg + "\"");
            return std::nullopt;
        }
    }
    if (options.settingsWindow && (options.script || options.screenshot)) {
        setError(error, "--settings cannot be combined with --script or --screenshot");
        return std::nullopt;
    }
    return options;
}

std::string CommandLine::versionText() { return std::string("tolvane ") + TOLVANE_VERSION; }

std::string CommandLine::usage()
{
    return "Usage: tolvane [OPTION]...\n"
           "A life counter for collectible card games.\n"
           "\n"
           "Without options, opens the life counter in a window.\n"
           "\n"
           "  --home DIR           keep the saved game and settings under DIR\n"
           "                       (default: $TOLVANE_HOME, else ~/.local/share/tolvane)\n"
           "  --settings           open the settings window\n"
           "  --set KEY=VALUE      change a setting and exit (may be repeated); keys:\n"
           "                         numPlayers (2-12), diceFaceType (1 or more),\n"
           "                         isLandscapeAtStart, isDiceRepeat, is5hp,\n"
           "                         isAskBeforeReset, isThrow2Dices, isAlwaysOn (YES/NO)\n"
           "  --script FILE        run an automation script headless on a virtual clock\n"
           "                       (without --home, in a temporary folder)\n"
           "  --screenshot PNG     render the screen to PNG and exit; with --script,\n"
           "                       after the script has run\n"
           "  -h, --help           show this help and exit\n"
           "      --version        show the version and exit\n"
           "\n"
           "In the window: Ctrl+Left and Ctrl+Right turn the device, Ctrl+Q quits;\n"
           "the same entries are on the window's context menu.\n"
           "\n"
           "Exit status: 0 on success, 1 on failure, 2 for a bad command line or script.\n";
}

bool CommandLine::displayAvailable(const std::function<const char*(const char*)>& getenv)
{
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" }) {
        const char* v = getenv(name);
        if (v && *v)
            return true;
    }
    return false;
}

std::string CommandLine::noDisplayMessage()
{
    return "tolvane: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
           "Use --screenshot FILE to render the screen to a PNG file,\n"
           "or --script FILE to run the life counter headless (see --help).\n";
}

}
