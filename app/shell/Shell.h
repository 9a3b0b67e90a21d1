#pragma once
// The program's front door: reads the command line and runs the chosen mode
// (the life counter in a window, the settings window, a settings change, the
// automation mode or a screenshot). main() only hands over to it.

#include "CommandLine.h"

#include <iosfwd>
#include <string>

namespace tolvane {

class Shell {
public:
    // Runs the program; the result is the process exit status.
    static int main(int argc, char** argv);

    // Applies --set assignments to the settings store: all are checked
    // before any is written, so a bad one changes nothing. 0, or 2 with a
    // message on `err`.
    static int applyAssignments(const std::vector<std::string>& assignments, std::ostream& err);

private:
    static int runWindow(const CommandLineOptions& options);
    static int runSettingsWindow(const CommandLineOptions& options);
    static int runAutomation(const CommandLineOptions& options);
};

}
