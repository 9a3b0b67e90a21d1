// The application as a whole. Start: the CPU time and peak memory of a
// process that launches the game headless and exits, against a bare Qt
// Widgets program. Tap: the CPU time of one ±1 tap with 10 and with 5,000
// entries in the game log, which must not differ (a tap's cost does not grow
// with the log).

#include "BenchComparison.h"

#include "Automation.h"
#include "ScriptParser.h"
#include "TolvaneViewController.h"

#include "platform/Console.h"
#include "platform/PlatformSession.h"

#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Child {
    double cpuSeconds = 0;
    double peakMegabytes = 0;
    bool ok = false;
};

Child runChild(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    Child child;
    // The children's own chatter (Qt's notes) would bury the report.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, args[0], &quiet, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return child;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return child;
    child.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    child.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    child.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
    return child;
}

void start(benchmark::State& state, std::vector<std::string> argv)
{
    double peak = 0;
    for (auto _ : state) {
        const Child child = runChild(argv);
        if (!child.ok) {
            state.SkipWithError(("did not run: " + argv[0]).c_str());
            break;
        }
        state.SetIterationTime(child.cpuSeconds);
        peak = std::max(peak, child.peakMegabytes);
    }
    state.counters["peak_MB"] = peak;
}

// One session for the taps, in this process: headless, on the virtual clock,
// in a throw-away home.
struct TapRig {
    std::filesystem::path home;
    std::unique_ptr<platform::PlatformSession> session;
    std::unique_ptr<tolvane::Automation> automation;
    std::ostringstream out, err;

    bool run(const std::string& line)
    {
        auto parsed = tolvane::ScriptParser::parse(line);
        return !parsed.error && automation->run(parsed.commands) == tolvane::Automation::kSuccess;
    }
};

std::unique_ptr<TapRig> gRig;
bool gRigTried = false;

TapRig* tapRig()
{
    if (gRigTried)
        return gRig.get();
    gRigTried = true;
    gRig = [] {
        auto r = std::make_unique<TapRig>();
        char pattern[] = "/tmp/tolvane-bench-XXXXXX";
        r->home = mkdtemp(pattern) ? pattern : "";
        platform::PlatformOptions options;
        options.headless = true;
        options.virtualClock = true;
        options.recordOpenedUrls = true;
        options.home = r->home.string();
        static int argc = 1;
        static char name[] = "app_bench";
        static char* argv[] = { name, nullptr };
        r->session = std::make_unique<platform::PlatformSession>(argc, argv, options);
        platform::Console::setEcho(false);
        r->automation = std::make_unique<tolvane::Automation>(r->out, r->err);
        if (!r->run("settings isAskBeforeReset=false\nlaunch\n"))
            r.reset();
        return r;
    }();
    return gRig.get();
}

void tap(benchmark::State& state, size_t entries)
{
    TapRig* rig = tapRig();
    if (!rig) {
        state.SkipWithError("the game did not launch");
        return;
    }
    TolvaneViewController* vc = rig->automation->controller();
    vc->DoReset();
    // Four seconds apart, so that each tap makes an entry of its own. Plus and
    // minus in turn: the totals, and so what the wheels paint, stay the same
    // at any length of the log, which is all that differs between the rows.
    static const std::string plus = "tap buttonInc0", minus = "tap buttonDec0";
    while (vc->arTime.size() < entries) {
        if (!rig->run((vc->arTime.size() % 2 ? minus : plus) + "\nadvance 4\n")) {
            state.SkipWithError("a tap failed");
            return;
        }
    }
    size_t taps = 0;
    for (auto _ : state) {
        if (!rig->run(taps++ % 2 ? minus : plus)) {
            state.SkipWithError("a tap failed");
            break;
        }
        state.PauseTiming();
        rig->run("advance 4");
        state.ResumeTiming();
    }
    state.counters["log_entries"] = double(vc->arTime.size());
}

std::string gStartHome;

void registerAll()
{
    char pattern[] = "/tmp/tolvane-start-XXXXXX";
    gStartHome = mkdtemp(pattern) ? pattern : "";
    static const std::string home = gStartHome;
    static const std::string script = home + "/launch.txt";
    std::ofstream(script) << "launch\n";
    const bool smoke = BenchComparison::smoke();
    const int starts = smoke ? 1 : 10;
    BenchComparison::add("start/ours/launch", [](auto& s) { start(s, { TOLVANE_BINARY, "--home", home, "--script", script }); })
        ->UseManualTime()->Iterations(starts)->Unit(benchmark::kMillisecond);
    BenchComparison::add("start/bare_qt/launch", [](auto& s) { start(s, { BARE_QT_APP }); })
        ->UseManualTime()->Iterations(starts)->Unit(benchmark::kMillisecond);
    BenchComparison::add("start/bare_qt_first_frame/launch", [](auto& s) { start(s, { BARE_QT_APP, "--first-frame" }); })
        ->UseManualTime()->Iterations(starts)->Unit(benchmark::kMillisecond);

    const size_t many = smoke ? 20 : 5000;
    const int taps = smoke ? 1 : 200;
    BenchComparison::add("tap/ours/plus_or_minus_one", [](auto& s) { tap(s, 10); })->Iterations(taps)->Unit(benchmark::kMicrosecond);
    BenchComparison::add("tap/with_" + std::to_string(many) + "_entries/plus_or_minus_one", [many](auto& s) { tap(s, many); })
        ->Iterations(taps)->Unit(benchmark::kMicrosecond);
}

}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The banner of every start asks a port of this machine where nothing
    // listens: the figures never wait on the outside network.
    setenv("TOLVANE_ADS_BASE_URL", "http://127.0.0.1:9/", 0);
    setenv("TOLVANE_ADS_STATIC_URL", "http://127.0.0.1:9", 0);
    const int rc = BenchComparison::run(argc, argv, registerAll);
    std::filesystem::path tapHome = gRig ? gRig->home : std::filesystem::path();
    gRig.reset();
    std::error_code ignored;
    if (!tapHome.empty())
        std::filesystem::remove_all(tapHome, ignored);
    if (!gStartHome.empty())
        std::filesystem::remove_all(gStartHome, ignored);
    return rc;
}
