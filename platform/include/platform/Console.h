#pragma once
// The one logging call: a line to standard error, also kept so that the
// automation mode can report what was written. No levels.

#include <string>
#include <string_view>
#include <vector>

namespace platform::Console {

void log(std::string_view line);
// Lines written since the last call, oldest first.
std::vector<std::string> takeLines();
// Keeping lines is off by default (a long run would grow without end).
void setKeepingLines(bool keep);
// Silences standard error (tests); lines are still kept when keeping is on.
void setEcho(bool echo);

}
