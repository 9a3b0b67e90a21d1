// Reading and writing the standard JSON inputs with the ad library's reader
// and writer, and with Qt's QJsonDocument as the baseline, in the same run.
// The inputs are looked for in $TOLVANE_BENCH_DATA, else in shared/bench-data
// beside the source tree; absent files are left out with a note.

#include "json/ADS_KVJSON.h"

#include <QByteArray>
#include <QJsonDocument>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

std::filesystem::path dataDir()
{
    if (const char* env = std::getenv("TOLVANE_BENCH_DATA"))
        return env;
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "shared" / "bench-data";
}

struct Input {
    std::string name;
    std::string text;
};

void parseOurs(benchmark::State& state, const Input* in)
{
    for (auto _ : state) {
        ADS_KVJSON json;
        auto v = json.objectWithString(in->text);
        if (!v) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in->text.size()));
}

void parseQt(benchmark::State& state, const Input* in)
{
    const QByteArray raw = QByteArray::fromRawData(in->text.data(), qsizetype(in->text.size()));
    for (auto _ : state) {
        QJsonParseError error;
        QJsonDocument doc = QJsonDocument::fromJson(raw, &error);
        if (doc.isNull()) {
            state.SkipWithError("Qt read failed");
            break;
        }
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in->text.size()));
}

void writeOurs(benchmark::State& state, const Input* in, bool sorted)
{
    ADS_KVJSON json;
    auto value = json.objectWithString(in->text);
    if (!value) {
        state.SkipWithError("read failed");
        return;
    }
    json.setSortKeys(sorted);
    size_t bytes = 0;
    for (auto _ : state) {
        auto text = json.stringWithObject(*value);
        bytes = text ? text->size() : 0;
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void writeQt(benchmark::State& state, const Input* in)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(in->text.data(), qsizetype(in->text.size())));
    size_t bytes = 0;
    for (auto _ : state) {
        QByteArray text = doc.toJson(QJsonDocument::Compact);
        bytes = size_t(text.size());
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

// Registers the benchmarks of every input that is present; the inputs live
// for the whole run.
const bool registered = [] {
    const std::filesystem::path dir = dataDir();
    int found = 0;
    for (const char* file : { "twitter.json", "canada.json", "citm_catalog.json" }) {
        std::ifstream stream(dir / file, std::ios::binary);
        if (!stream)
            continue;
        std::stringstream ss;
        ss << stream.rdbuf();
        auto* in = new Input { std::filesystem::path(file).stem().string(), ss.str() };
        ++found;
        benchmark::RegisterBenchmark(("read/ours/" + in->name).c_str(), parseOurs, in)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("read/qt/" + in->name).c_str(), parseQt, in)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("write/ours/" + in->name).c_str(), writeOurs, in, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("write/ours_sorted/" + in->name).c_str(), writeOurs, in, true)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("write/qt/" + in->name).c_str(), writeQt, in)->Unit(benchmark::kMillisecond);
    }
    if (found == 0)
        std::fprintf(stderr, "json_bench: no inputs in %s; nothing to measure\n", dir.string().c_str());
    return true;
}();

}
