// A saved game of two players and a 10,000-entry log, written and read as an
// XML property list with our code and, in the same run, with libplist
// building and reading its own tree of the same values. "save" is the write
// as the game stores it, with the CRC-32 comment that closes the file;
// libplist has no such check, so its side is its plain write.

#include "BenchComparison.h"

#include "platform/Checksum.h"
#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace platform;

namespace {

Value savedGame(int entries)
{
    Array a { Value("2"), Value("Orrin"), Value("Ajani"), Value("20"), Value("36"), Value("18"), Value("36") };
    a.reserve(7 + 3 * size_t(entries));
    for (int j = 0; j < entries; ++j) {
        a.emplace_back(Date { 1768478400.0 + j * 3 });
        a.emplace_back(j % 2 ? "Ajani" : "Orrin");
        a.emplace_back(int64_t(20 - j % 40));
    }
    return Value(std::move(a));
}

using PlistTree = std::unique_ptr<void, decltype(&plist_free)>;

// The same values as libplist nodes (its integer node takes the 64 bits and
// writes negative totals with their sign, as ours does).
PlistTree plistGame(const Value& game)
{
    plist_t root = plist_new_array();
    for (const Value& v : game.asArray()) {
        switch (v.type()) {
        case Value::Type::String:
            plist_array_append_item(root, plist_new_string(v.asString().c_str()));
            break;
        case Value::Type::Integer:
            plist_array_append_item(root, plist_new_uint(uint64_t(v.asInt64())));
            break;
        case Value::Type::Date:
            plist_array_append_item(root, plist_new_date(int32_t(v.asDate().secondsSinceReferenceDate()), 0));
            break;
        default:
            break;
        }
    }
    return PlistTree(root, plist_free);
}

size_t entriesFor(const Value& game)
{
    return game.asArray().size();
}

void writeOurs(benchmark::State& state, const Value& game)
{
    size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = PropertyList::serialize(game);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void saveOurs(benchmark::State& state, const Value& game)
{
    size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = PropertyList::serialize(game);
        char digest[32];
        const int length = std::snprintf(digest, sizeof digest, "<!-- crc32 %08x -->\n", Checksum::crc32(xml));
        xml.append(digest, size_t(length));
        bytes = xml.size();
        benchmark::DoNotOptimize(xml);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void readOurs(benchmark::State& state, const Value& game)
{
    const std::string xml = PropertyList::serialize(game);
    for (auto _ : state) {
        auto v = PropertyList::parse(xml);
        if (!v || v->asArray().size() != entriesFor(game)) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * xml.size()));
}

void writeLibplist(benchmark::State& state, const Value& game)
{
    const PlistTree tree = plistGame(game);
    size_t bytes = 0;
    for (auto _ : state) {
        char* xml = nullptr;
        uint32_t length = 0;
        plist_to_xml(tree.get(), &xml, &length);
        if (!xml) {
            state.SkipWithError("libplist write failed");
            break;
        }
        bytes = length;
        benchmark::DoNotOptimize(xml);
        plist_to_xml_free(xml);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void readLibplist(benchmark::State& state, const Value& game)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(plistGame(game).get(), &xml, &length);
    const std::string text(xml, length);
    plist_to_xml_free(xml);
    for (auto _ : state) {
        plist_t root = nullptr;
        plist_from_xml(text.data(), uint32_t(text.size()), &root);
        if (!root || plist_array_get_size(root) != entriesFor(game)) {
            state.SkipWithError("libplist read failed");
            if (root)
                plist_free(root);
            break;
        }
        benchmark::DoNotOptimize(root);
        plist_free(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
}

void registerAll()
{
    static const Value game = savedGame(BenchComparison::smoke() ? 10 : 10000);
    const std::string n = BenchComparison::smoke() ? "10entries" : "10000entries";
    const auto ms = benchmark::kMillisecond;
    BenchComparison::add("write/ours/" + n, [](auto& s) { writeOurs(s, game); })->Unit(ms);
    BenchComparison::add("write/libplist/" + n, [](auto& s) { writeLibplist(s, game); })->Unit(ms);
    BenchComparison::add("save/ours/" + n, [](auto& s) { saveOurs(s, game); })->Unit(ms);
    BenchComparison::add("save/libplist/" + n, [](auto& s) { writeLibplist(s, game); })->Unit(ms);
    BenchComparison::add("read/ours/" + n, [](auto& s) { readOurs(s, game); })->Unit(ms);
    BenchComparison::add("read/libplist/" + n, [](auto& s) { readLibplist(s, game); })->Unit(ms);
}

}

int main(int argc, char** argv)
{
    return BenchComparison::run(argc, argv, registerAll);
}
