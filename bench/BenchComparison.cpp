#include "BenchComparison.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

bool gSmoke = false;

struct Figure {
    double cpuSeconds = 0;
    bool failed = false;
};

// Google Benchmark's console output, plus the figures kept for the table.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool wanted = run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median" : run.repetitions <= 1;
            if (run.error_occurred)
                failures.push_back(run.run_name.function_name + ": " + run.error_message);
            if (!wanted && !run.error_occurred)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            Figure& f = figures[name];
            f.failed = f.failed || run.error_occurred;
            // A benchmark that times itself (a child process's CPU time) reports it as real time.
            const bool manual = run.run_name.time_type.find("manual") != std::string::npos;
            if (!run.error_occurred)
                f.cpuSeconds = (manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime())
                    / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, Figure> figures;
    std::vector<std::string> failures;
};

std::string formatSeconds(double s)
{
    char buf[32];
    if (s >= 1e-3)
        std::snprintf(buf, sizeof buf, "%.3f ms", s * 1e3);
    else if (s >= 1e-6)
        std::snprintf(buf, sizeof buf, "%.2f us", s * 1e6);
    else
        std::snprintf(buf, sizeof buf, "%.1f ns", s * 1e9);
    return buf;
}

void printTable(const std::map<std::string, Figure>& figures)
{
    // task/input -> implementation -> figure, in the order of first sight.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::pair<std::string, Figure>>> rows;
    for (const auto& [name, figure] : figures) {
        const size_t a = name.find('/');
        const size_t b = a == std::string::npos ? a : name.find('/', a + 1);
        if (b == std::string::npos)
            continue;
        const std::string key = name.substr(0, a) + " " + name.substr(b + 1);
        if (!rows.count(key))
            order.push_back(key);
        rows[key].emplace_back(name.substr(a + 1, b - a - 1), figure);
    }
    std::printf("\nCPU time, median; ratio = peer time / our time (above 1: we are faster)\n");
    for (const std::string& key : order) {
        const auto& impls = rows[key];
        const Figure* ours = nullptr;
        for (const auto& [impl, figure] : impls) {
            if (impl == "ours")
                ours = &figure;
        }
        std::printf("%-28s", key.c_str());
        if (ours)
            std::printf(" ours %s", ours->failed ? "failed" : formatSeconds(ours->cpuSeconds).c_str());
        for (const auto& [impl, figure] : impls) {
            if (impl == "ours")
                continue;
            if (figure.failed) {
                std::printf(" | %s failed", impl.c_str());
                continue;
            }
            std::printf(" | %s %s", impl.c_str(), formatSeconds(figure.cpuSeconds).c_str());
            if (ours && !ours->failed && ours->cpuSeconds > 0)
                std::printf(" (%.2fx)", figure.cpuSeconds / ours->cpuSeconds);
        }
        std::printf("\n");
    }
}

}

bool BenchComparison::smoke()
{
    return gSmoke;
}

benchmark::internal::Benchmark* BenchComparison::add(const std::string& name, Body body)
{
    auto* b = benchmark::RegisterBenchmark(name.c_str(), [body = std::move(body)](benchmark::State& state) { body(state); });
    if (gSmoke)
        b->Iterations(1);
    return b;
}

int BenchComparison::run(int argc, char** argv, const std::function<void()>& registerAll)
{
    std::vector<char*> args;
    bool repetitionsGiven = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            gSmoke = true;
            continue;
        }
        if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0)
            repetitionsGiven = true;
        args.push_back(argv[i]);
    }
    static char repetitions[] = "--benchmark_repetitions=5";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    if (!gSmoke && !repetitionsGiven) {
        args.push_back(repetitions);
        args.push_back(aggregatesOnly);
    }
    int count = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;
    registerAll();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printTable(reporter.figures);
    for (const std::string& failure : reporter.failures)
        std::fprintf(stderr, "failed: %s\n", failure.c_str());
    return reporter.failures.empty() ? 0 : 1;
}
