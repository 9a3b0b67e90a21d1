// Reading and writing the standard JSON inputs with the ad library's reader
// and writer and, in the same run, with RapidJSON (numbers kept as text when
// reading, as ours are), simdjson's DOM (the ceiling: it reuses one parser and
// keeps numbers as binary), nlohmann-json and Qt's QJsonDocument.
// The inputs are looked for in $TOLVANE_BENCH_DATA, else in shared/bench-data
// beside the source tree; absent files are left out with a note. With
// --smoke each benchmark runs once on tiny texts instead.

#include "BenchComparison.h"

#include "json/ADS_KVJSON.h"

#include <QByteArray>
#include <QJsonDocument>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::filesystem::path dataDir()
{
    if (const char* env = std::getenv("TOLVANE_BENCH_DATA"))
        return env;
    return std::filesystem::path(TOLVANE_SOURCE_DIR).parent_path() / "shared" / "bench-data";
}

struct Input {
    std::string name;
    std::string text;
};

// Small texts with what each standard input is made of: strings with
// escapes and multi-byte characters, long number arrays, indented objects.
std::vector<Input> tinyInputs()
{
    return {
        { "tiny_strings", R"({"statuses":[{"text":"caf\u00e9 \ud83d\ude00 \"quoted\" \/ 名前","id":505874924095815681,)"
                          R"("user":{"name":"ayumi","followers":262,"verified":false,"url":null}}]})" },
        { "tiny_numbers", R"({"type":"Polygon","coordinates":[[[-65.613616999999977,43.420273000000009],)"
                          R"([-65.625,43.421379000000059],[1e5,-2E-3]]]})" },
        { "tiny_objects", "{\n    \"areaNames\": {\n        \"205705993\": \"Arri\xC3\xA8re-sc\xC3\xA8ne\"\n    },\n"
                          "    \"events\": [ { \"id\": 138586341, \"subTopicIds\": [ 337184269, 337184283 ] } ]\n}" },
    };
}

std::vector<Input> loadInputs()
{
    if (BenchComparison::smoke())
        return tinyInputs();
    std::vector<Input> inputs;
    const std::filesystem::path dir = dataDir();
    for (const char* file : { "twitter.json", "canada.json", "citm_catalog.json" }) {
        std::ifstream stream(dir / file, std::ios::binary);
        if (!stream)
            continue;
        std::stringstream ss;
        ss << stream.rdbuf();
        inputs.push_back({ std::filesystem::path(file).stem().string(), ss.str() });
    }
    if (inputs.empty())
        std::fprintf(stderr, "json_bench: no inputs in %s; nothing to measure\n", dir.string().c_str());
    return inputs;
}

void readOurs(benchmark::State& state, const Input& in)
{
    for (auto _ : state) {
        ADS_KVJSON json;
        auto doc = json.documentWithString(in.text);
        if (!doc) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

// What callers that want platform values get: the document, then a copy.
void readOursAsValues(benchmark::State& state, const Input& in)
{
    for (auto _ : state) {
        ADS_KVJSON json;
        auto v = json.objectWithString(in.text);
        if (!v) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

// Reading right after another library has read (and freed) a different
// document in the same process: the figure must not depend on what the
// allocator was left with. The input itself is then no longer in the cache,
// for every reader alike; RapidJSON's figure shows that share.
template<typename Read>
void readAfterQt(benchmark::State& state, const Input& in, const Input& other, Read read)
{
    const QByteArray raw = QByteArray::fromRawData(other.text.data(), qsizetype(other.text.size()));
    for (auto _ : state) {
        state.PauseTiming();
        {
            QJsonDocument before = QJsonDocument::fromJson(raw);
            benchmark::DoNotOptimize(before);
        }
        state.ResumeTiming();
        if (!read(in.text)) {
            state.SkipWithError("read failed");
            break;
        }
    }
}

bool readOnceOurs(const std::string& text)
{
    ADS_KVJSON json;
    auto doc = json.documentWithString(text);
    benchmark::DoNotOptimize(doc);
    return doc.has_value();
}

bool readOnceRapidJson(const std::string& text)
{
    rapidjson::Document doc;
    doc.Parse<rapidjson::kParseNumbersAsStringsFlag>(text.data(), text.size());
    benchmark::DoNotOptimize(doc);
    return !doc.HasParseError();
}

void readRapidJson(benchmark::State& state, const Input& in)
{
    for (auto _ : state) {
        rapidjson::Document doc;
        doc.Parse<rapidjson::kParseNumbersAsStringsFlag>(in.text.data(), in.text.size());
        if (doc.HasParseError()) {
            state.SkipWithError("RapidJSON read failed");
            break;
        }
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

void readSimdJson(benchmark::State& state, const Input& in)
{
    const simdjson::padded_string padded(in.text);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root) != simdjson::SUCCESS) {
            state.SkipWithError("simdjson read failed");
            break;
        }
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

void readNlohmann(benchmark::State& state, const Input& in)
{
    for (auto _ : state) {
        auto doc = nlohmann::json::parse(in.text, nullptr, false);
        if (doc.is_discarded()) {
            state.SkipWithError("nlohmann read failed");
            break;
        }
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

void readQt(benchmark::State& state, const Input& in)
{
    const QByteArray raw = QByteArray::fromRawData(in.text.data(), qsizetype(in.text.size()));
    for (auto _ : state) {
        QJsonParseError error;
        QJsonDocument doc = QJsonDocument::fromJson(raw, &error);
        if (doc.isNull()) {
            state.SkipWithError("Qt read failed");
            break;
        }
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

void writeOurs(benchmark::State& state, const Input& in, bool sorted)
{
    ADS_KVJSON json;
    auto value = json.objectWithString(in.text);
    if (!value) {
        state.SkipWithError("read failed");
        return;
    }
    json.setSortKeys(sorted);
    size_t bytes = 0;
    for (auto _ : state) {
        auto text = json.stringWithObject(*value);
        if (!text) {
            state.SkipWithError("write failed");
            break;
        }
        bytes = text->size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

// RapidJSON writes the numbers it read as numbers; read as text they would
// come out quoted.
void writeRapidJson(benchmark::State& state, const Input& in)
{
    rapidjson::Document doc;
    doc.Parse(in.text.data(), in.text.size());
    if (doc.HasParseError()) {
        state.SkipWithError("RapidJSON read failed");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        doc.Accept(writer);
        bytes = buffer.GetSize();
        benchmark::DoNotOptimize(buffer.GetString());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void writeNlohmann(benchmark::State& state, const Input& in)
{
    const auto doc = nlohmann::json::parse(in.text, nullptr, false);
    if (doc.is_discarded()) {
        state.SkipWithError("nlohmann read failed");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = doc.dump();
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void writeQt(benchmark::State& state, const Input& in)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(in.text.data(), qsizetype(in.text.size())));
    size_t bytes = 0;
    for (auto _ : state) {
        QByteArray text = doc.toJson(QJsonDocument::Compact);
        bytes = size_t(text.size());
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void registerAll()
{
    // The inputs live for the whole run.
    static const std::vector<Input> inputs = loadInputs();
    const auto ms = benchmark::kMillisecond;
    for (const Input& in : inputs) {
        const std::string& n = in.name;
        BenchComparison::add("read/ours/" + n, [&in](auto& s) { readOurs(s, in); })->Unit(ms);
        BenchComparison::add("read/ours_values/" + n, [&in](auto& s) { readOursAsValues(s, in); })->Unit(ms);
        BenchComparison::add("read/rapidjson/" + n, [&in](auto& s) { readRapidJson(s, in); })->Unit(ms);
        BenchComparison::add("read/simdjson/" + n, [&in](auto& s) { readSimdJson(s, in); })->Unit(ms);
        BenchComparison::add("read/nlohmann/" + n, [&in](auto& s) { readNlohmann(s, in); })->Unit(ms);
        BenchComparison::add("read/qt/" + n, [&in](auto& s) { readQt(s, in); })->Unit(ms);
        const Input& other = &in == &inputs.front() ? inputs.back() : inputs.front();
        BenchComparison::add("read_after_qt/ours/" + n,
            [&in, &other](auto& s) { readAfterQt(s, in, other, readOnceOurs); })->Unit(ms);
        BenchComparison::add("read_after_qt/rapidjson/" + n,
            [&in, &other](auto& s) { readAfterQt(s, in, other, readOnceRapidJson); })->Unit(ms);

        BenchComparison::add("write/ours/" + n, [&in](auto& s) { writeOurs(s, in, false); })->Unit(ms);
        BenchComparison::add("write/ours_sorted/" + n, [&in](auto& s) { writeOurs(s, in, true); })->Unit(ms);
        BenchComparison::add("write/rapidjson/" + n, [&in](auto& s) { writeRapidJson(s, in); })->Unit(ms);
        BenchComparison::add("write/nlohmann/" + n, [&in](auto& s) { writeNlohmann(s, in); })->Unit(ms);
        BenchComparison::add("write/qt/" + n, [&in](auto& s) { writeQt(s, in); })->Unit(ms);
    }
}

}

int main(int argc, char** argv)
{
    return BenchComparison::run(argc, argv, registerAll);
}
