// The logging call: one line to standard error, optionally kept.
#include "platform/Console.h"

#include <cstdio>
#include <mutex>

namespace platform::Console {

namespace {
struct State {
    std::mutex mutex;
    std::vector<std::string> lines;
    bool keep = false;
    bool echo = true;
};
State& state()
{
    static State s;
    return s;
}
}

void log(std::string_view line)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.echo) {
        // One write per line so that lines from other threads never interleave.
        std::string out(line);
        out += '\n';
        std::fwrite(out.data(), 1, out.size(), stderr);
        std::fflush(stderr);
    }
    if (s.keep)
        s.lines.emplace_back(line);
}

std::vector<std::string> takeLines()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<std::string> out;
    out.swap(s.lines);
    return out;
}

void setKeepingLines(bool keep)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.keep = keep;
    if (!keep)
        s.lines.clear();
}

void setEcho(bool echo)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.echo = echo;
}

}
