#pragma once
// Runs the benchmarks of one executable (medians of five repetitions unless
// told otherwise) and then prints, per task and input, our CPU time, each
// peer's and the ratio. It measures nothing itself.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

class BenchComparison {
public:
    // Benchmarks are named "<task>/<implementation>/<input>"; the
    // implementation "ours" is the one the others are compared with.
    using Body = std::function<void(benchmark::State&)>;

    // --smoke: register tiny inputs and run each benchmark for one
    // iteration, to prove that it works; nothing is timed then. Answers the
    // exit status: non-zero when a benchmark reported an error.
    static int run(int argc, char** argv, const std::function<void()>& registerAll);
    static bool smoke();
    static benchmark::internal::Benchmark* add(const std::string& name, Body body);
};
