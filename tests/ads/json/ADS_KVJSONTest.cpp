#include "json/ADS_KVJSON.h"

#include "ADSConfiguration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using platform::Array;
using platform::Decimal;
using platform::Dictionary;
using platform::Error;
using platform::Value;

namespace {

using Link = std::pair<long, std::string>;

// The error and its causes, outermost first.
std::vector<Link> chain(const Error& e)
{
    std::vector<Link> out;
    for (const Error* p = &e; p; p = p->underlying.get()) {
        EXPECT_EQ(p->domain, ADS_KVJSONErrorDomain);
        out.emplace_back(p->code, p->message);
    }
    return out;
}

std::vector<Link> readFails(std::string_view text, bool fragment = false)
{
    ADS_KVJSON json;
    Error e;
    auto v = fragment ? json.fragmentWithString(text, &e) : json.objectWithString(text, &e);
    EXPECT_FALSE(v) << "read " << text;
    return chain(e);
}

Value read(std::string_view text)
{
    ADS_KVJSON json;
    Error e;
    auto v = json.fragmentWithString(text, &e);
    EXPECT_TRUE(v) << text << " -> " << e.code << " " << e.message;
    return v.value_or(Value());
}

std::string write(const Value& v, bool sort = false, bool human = false)
{
    ADS_KVJSON json;
    json.setSortKeys(sort);
    json.setHumanReadable(human);
    Error e;
    auto s = json.stringWithFragment(v, &e);
    EXPECT_TRUE(s) << e.code << " " << e.message;
    return s.value_or("");
}

std::vector<Link> writeFails(const Value& v)
{
    ADS_KVJSON json;
    Error e;
    EXPECT_FALSE(json.stringWithFragment(v, &e));
    return chain(e);
}

std::string nested(const char* open, const char* close, int levels, const char* inner = "")
{
    std::string s;
    for (int i = 0; i < levels; ++i)
        s += open;
    s += inner;
    for (int i = 0; i < levels; ++i)
        s += close;
    return s;
}

std::optional<std::string> fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}

TEST(ADS_KVJSON, DefaultsAndTopLevelRule)
{
    ADS_KVJSON json;
    EXPECT_EQ(json.maxDepth(), 512u);
    EXPECT_FALSE(json.sortKeys());
    EXPECT_FALSE(json.humanReadable());

    EXPECT_EQ(readFails("42"), (std::vector<Link> { { 4, "Valid fragment, but not JSON" } }));
    EXPECT_EQ(readFails("\"s\""), (std::vector<Link> { { 4, "Valid fragment, but not JSON" } }));
    EXPECT_EQ(read("42"), Value(Decimal { "42" }));
    EXPECT_EQ(read(" \t\r\n\v\f[1] \n"), Value(Array { Value(Decimal { "1" }) }));
    EXPECT_EQ(readFails("[1] x"), (std::vector<Link> { { 10, "Garbage after JSON" } }));
    EXPECT_EQ(readFails("{} {}"), (std::vector<Link> { { 10, "Garbage after JSON" } }));
    // A zero byte does not end the text early.
    EXPECT_EQ(readFails(std::string_view("[1]\0[2]", 7)), (std::vector<Link> { { 10, "Garbage after JSON" } }));
    EXPECT_EQ(readFails(std::string_view("\0", 1), true), (std::vector<Link> { { 3, "Unrecognised leading character" } }));

    Error e;
    EXPECT_FALSE(json.objectWithString(static_cast<const char*>(nullptr), &e));
    EXPECT_EQ(chain(e), (std::vector<Link> { { 12, "Input was 'nil'" } }));
    EXPECT_FALSE(json.fragmentWithString(static_cast<const char*>(nullptr), &e));
    EXPECT_EQ(e.code, 12);
    // No error slot: failure shows only in the result.
    EXPECT_FALSE(json.objectWithString("[1,]", nullptr));
    EXPECT_TRUE(json.objectWithString("[1]", nullptr));
}

TEST(ADS_KVJSON, ValueErrors)
{
    EXPECT_EQ(readFails("", true), (std::vector<Link> { { 11, "Unexpected end of string" } }));
    EXPECT_EQ(readFails("   ", true), (std::vector<Link> { { 11, "Unexpected end of string" } }));
    EXPECT_EQ(readFails("nul", true), (std::vector<Link> { { 3, "Expected 'null'" } }));
    EXPECT_EQ(readFails("trUe", true), (std::vector<Link> { { 3, "Expected 'true'" } }));
    EXPECT_EQ(readFails("fals", true), (std::vector<Link> { { 3, "Expected 'false'" } }));
    EXPECT_EQ(readFails("x", true), (std::vector<Link> { { 3, "Unrecognised leading character" } }));
    EXPECT_EQ(readFails("NaN", true), (std::vector<Link> { { 3, "Unrecognised leading character" } }));
    EXPECT_EQ(read("null"), Value(nullptr));
    EXPECT_EQ(read("true"), Value(true));
    EXPECT_EQ(read("false"), Value(false));
    EXPECT_TRUE(read("true").isBool());
    // What follows a literal is the caller's business: here the garbage check.
    EXPECT_EQ(readFails("nullx", true), (std::vector<Link> { { 10, "Garbage after JSON" } }));
}

TEST(ADS_KVJSON, NumberErrors)
{
    EXPECT_EQ(readFails("0123", true), (std::vector<Link> { { 2, "Leading 0 disallowed in number" } }));
    EXPECT_EQ(readFails("-01", true), (std::vector<Link> { { 2, "Leading 0 disallowed in number" } }));
    EXPECT_EQ(readFails("-x", true), (std::vector<Link> { { 2, "No digits after initial minus" } }));
    EXPECT_EQ(readFails("-", true), (std::vector<Link> { { 2, "No digits after initial minus" } }));
    EXPECT_EQ(readFails("1.", true), (std::vector<Link> { { 2, "No digits after decimal point" } }));
    EXPECT_EQ(readFails("1.e5", true), (std::vector<Link> { { 2, "No digits after decimal point" } }));
    EXPECT_EQ(readFails("1e", true), (std::vector<Link> { { 2, "No digits after exponent" } }));
    EXPECT_EQ(readFails("1E+", true), (std::vector<Link> { { 2, "No digits after exponent" } }));
    EXPECT_EQ(readFails("+1", true), (std::vector<Link> { { 2, "Leading + disallowed in number" } }));
    EXPECT_EQ(readFails("[+1]"),
        (std::vector<Link> { { 3, "Expected value while parsing array" }, { 2, "Leading + disallowed in number" } }));
    EXPECT_EQ(readFails("\xd9\xa1", true), (std::vector<Link> { { 3, "Unrecognised leading character" } }))
        << "only ASCII digits are digits";
}

TEST(ADS_KVJSON, ExactDecimalsKeepTheirDigits)
{
    // Each of these would change on a trip through a double.
    for (const char* text : { "0.1", "12345678901234567890.123456789", "1e400", "-1E-400", "-0", "0.30000000000000004441",
             "9007199254740993", "1.50", "2e+10" }) {
        SCOPED_TRACE(text);
        const Value v = read(text);
        ASSERT_TRUE(v.isDecimal());
        EXPECT_EQ(v.asDecimal().text, text);
        EXPECT_EQ(write(v), text);
    }
    EXPECT_DOUBLE_EQ(read("2.5e3").asDouble(), 2500.0);
}

TEST(ADS_KVJSON, StringErrors)
{
    EXPECT_EQ(readFails("\"abc", true), (std::vector<Link> { { 5, "Unescaped control character '0x0'" } }));
    EXPECT_EQ(readFails("\"a\tb\"", true), (std::vector<Link> { { 5, "Unescaped control character '0x9'" } }));
    EXPECT_EQ(readFails("\"a\x1f\"", true), (std::vector<Link> { { 5, "Unescaped control character '0x1f'" } }));
    EXPECT_EQ(readFails(std::string_view("\"a\0b\"", 5), true),
        (std::vector<Link> { { 5, "Unescaped control character '0x0'" } }));
    EXPECT_EQ(readFails("\"ab\\n", true), (std::vector<Link> { { 11, "Unexpected EOF while parsing string" } }));
    EXPECT_EQ(readFails("\"\\q\"", true), (std::vector<Link> { { 8, "Illegal escape sequence '0x71'" } }));
    EXPECT_EQ(readFails("\"\\'\"", true), (std::vector<Link> { { 8, "Illegal escape sequence '0x27'" } }));
    EXPECT_EQ(readFails("\"\\", true), (std::vector<Link> { { 8, "Illegal escape sequence '0x0'" } }));
    // Bytes that are not UTF-8 make no string.
    EXPECT_EQ(readFails("\"a\xff\"", true), (std::vector<Link> { { 6, "Broken unicode character" } }));
    EXPECT_EQ(readFails("\"\xed\xa0\x80\"", true), (std::vector<Link> { { 6, "Broken unicode character" } }));
    EXPECT_EQ(readFails("\"\xc3\"", true), (std::vector<Link> { { 6, "Broken unicode character" } }));
}

TEST(ADS_KVJSON, UnicodeEscapes)
{
    EXPECT_EQ(read("\"\\uD83D\\uDE00\""), Value("\xF0\x9F\x98\x80"));
    EXPECT_EQ(read("\"\\ud83d\\ude00!\""), Value("\xF0\x9F\x98\x80!"));
    EXPECT_EQ(read("\"\\u00e9\\u20AC\\u0041\""), Value("\xC3\xA9\xE2\x82\xAC" "A"));
    EXPECT_EQ(read("\"a\\u0000b\"").asString(), std::string("a\0b", 3));
    EXPECT_EQ(read("\"\\uFFFF\"").asString(), "\xEF\xBF\xBF");

    const Link broken { 6, "Broken unicode character" };
    EXPECT_EQ(readFails("\"\\uD83Dx\"", true), (std::vector<Link> { broken, { 6, "Missing low character in surrogate pair" } }));
    EXPECT_EQ(readFails("\"\\uD83D\\n\"", true),
        (std::vector<Link> { broken, { 6, "Missing low character in surrogate pair" } }));
    EXPECT_EQ(readFails("\"\\uD83D\\u12\"", true),
        (std::vector<Link> {
            broken, { 6, "Missing low character in surrogate pair" }, { 6, "Missing hex digit in quad" } }));
    EXPECT_EQ(readFails("\"\\uD83D\\u0041\"", true), (std::vector<Link> { broken, { 6, "Invalid low surrogate char" } }));
    EXPECT_EQ(readFails("\"\\uDE00\"", true),
        (std::vector<Link> { broken, { 6, "Invalid high character in surrogate pair" } }));
    EXPECT_EQ(readFails("\"\\u12G4\"", true),
        (std::vector<Link> { broken, { 6, "Missing hex quad" }, { 6, "Missing hex digit in quad" } }));
    EXPECT_EQ(readFails("\"\\u", true),
        (std::vector<Link> { broken, { 6, "Missing hex quad" }, { 6, "Missing hex digit in quad" } }));
}

TEST(ADS_KVJSON, StringsWithEscapesAndRuns)
{
    EXPECT_EQ(read(R"("\"\\\/\b\f\n\r\t")"), Value("\"\\/\b\f\n\r\t"));
    // Runs longer than a word, with escapes and multi-byte characters between.
    const std::string longText = "The quick brown fox jumps over the lazy dog, caf\xC3\xA9 \xE2\x82\xAC 12345678";
    EXPECT_EQ(read("\"" + longText + "\\n" + longText + "\""), Value(longText + "\n" + longText));
    EXPECT_EQ(read("\"\""), Value(""));
}

TEST(ADS_KVJSON, ArrayRules)
{
    EXPECT_EQ(read("[]"), Value(Array {}));
    EXPECT_EQ(read("[ ]"), Value(Array {}));
    EXPECT_EQ(read("[1 2]"), Value(Array { Value(Decimal { "1" }), Value(Decimal { "2" }) }));
    EXPECT_EQ(read("[true false,null]"), Value(Array { Value(true), Value(false), Value(nullptr) }));
    EXPECT_EQ(readFails("[1,]"), (std::vector<Link> { { 9, "Trailing comma disallowed in array" } }));
    EXPECT_EQ(readFails("[1 , \n ]"), (std::vector<Link> { { 9, "Trailing comma disallowed in array" } }));
    EXPECT_EQ(readFails("[1"), (std::vector<Link> { { 11, "End of input while parsing array" } }));
    EXPECT_EQ(readFails("["), (std::vector<Link> { { 11, "End of input while parsing array" } }));
    EXPECT_EQ(readFails("[x]"),
        (std::vector<Link> { { 3, "Expected value while parsing array" }, { 3, "Unrecognised leading character" } }));
    EXPECT_EQ(readFails("[1,,2]"),
        (std::vector<Link> { { 3, "Expected value while parsing array" }, { 3, "Unrecognised leading character" } }));
    EXPECT_EQ(readFails("[\"a"),
        (std::vector<Link> {
            { 3, "Expected value while parsing array" }, { 5, "Unescaped control character '0x0'" } }));
}

TEST(ADS_KVJSON, ObjectRules)
{
    const Value v = read(R"({"b":1,"a":[],"b":2})");
    ASSERT_TRUE(v.isDictionary());
    const Dictionary& d = v.asDictionary();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d.begin()->first, "b") << "a duplicate keeps its first place";
    EXPECT_EQ(d.get("b"), Value(Decimal { "2" })) << "and the later value";
    EXPECT_EQ(read(R"({"a":1 "b":2})"), read(R"({"a":1,"b":2})"));

    EXPECT_EQ(readFails("{1:2}"), (std::vector<Link> { { 3, "Object key string expected" } }));
    EXPECT_EQ(readFails("{ "), (std::vector<Link> { { 3, "Object key string expected" } }));
    EXPECT_EQ(readFails("{\"a\":1,"), (std::vector<Link> { { 11, "End of input while parsing object" } }));
    EXPECT_EQ(readFails(R"({"a\x":1})"),
        (std::vector<Link> { { 3, "Object key string expected" }, { 8, "Illegal escape sequence '0x78'" } }));
    EXPECT_EQ(readFails(R"({"a" 1})"), (std::vector<Link> { { 3, "Expected ':' separating key and value" } }));
    EXPECT_EQ(readFails(R"({"k":})"),
        (std::vector<Link> { { 3, "Object value expected for key: k" }, { 3, "Unrecognised leading character" } }));
    EXPECT_EQ(readFails(R"({"a":1 , })"), (std::vector<Link> { { 9, "Trailing comma disallowed in object" } }));
    EXPECT_EQ(readFails(R"({"a":1)"), (std::vector<Link> { { 11, "End of input while parsing object" } }));
    EXPECT_EQ(readFails("{"), (std::vector<Link> { { 11, "End of input while parsing object" } }));
}

TEST(ADS_KVJSON, ManyKeysWithDuplicates)
{
    // Past the linear-search size the duplicate check goes through a hash.
    std::string text = "{";
    for (int i = 0; i < 100; ++i)
        text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    text += "\"k3\":\"again\",\"k99\":true,\"k0\":null}";
    const Value v = read(text);
    const Dictionary& d = v.asDictionary();
    ASSERT_EQ(d.size(), 100u);
    EXPECT_EQ(d.get("k3"), Value("again"));
    EXPECT_EQ(d.get("k99"), Value(true));
    EXPECT_EQ(d.get("k0"), Value(nullptr));
    EXPECT_EQ(d.get("k50"), Value(Decimal { "50" }));
    int i = 0;
    for (const auto& [key, value] : d)
        EXPECT_EQ(key, "k" + std::to_string(i++));
}

TEST(ADS_KVJSON, NestingLimit)
{
    ADS_KVJSON json;
    EXPECT_TRUE(json.objectWithString(nested("[", "]", 512)));
    EXPECT_TRUE(json.objectWithString(nested("{\"a\":", "}", 512, "1")));

    Error e;
    EXPECT_FALSE(json.objectWithString(nested("[", "]", 513), &e));
    std::vector<Link> links = chain(e);
    ASSERT_EQ(links.size(), 513u) << "each enclosing array adds its own error";
    EXPECT_EQ(links.front(), (Link { 3, "Expected value while parsing array" }));
    EXPECT_EQ(links.back(), (Link { 7, "Nested too deep" }));

    EXPECT_FALSE(json.objectWithString(nested("{\"a\":", "}", 513, "1"), &e));
    links = chain(e);
    EXPECT_EQ(links.front(), (Link { 3, "Object value expected for key: a" }));
    EXPECT_EQ(links.back(), (Link { 7, "Nested too deep" }));

    json.setMaxDepth(3);
    EXPECT_TRUE(json.objectWithString("[[[]],[[]]]")) << "depth comes back down after each container";
    EXPECT_FALSE(json.objectWithString("[[[[]]]]"));

    json.setMaxDepth(0);
    EXPECT_TRUE(json.objectWithString(nested("[", "]", 1000)));
    json.setMaxDepth(100000);
    EXPECT_FALSE(json.objectWithString(nested("[", "]", int(ADS_KVJSON::kHardDepthLimit) + 1)));
    json.setMaxDepth(0);
    // Even "no limit" stops where the stack would run out.
    EXPECT_TRUE(json.objectWithString(nested("[", "]", int(ADS_KVJSON::kHardDepthLimit))));
    EXPECT_FALSE(json.objectWithString(nested("[", "]", int(ADS_KVJSON::kHardDepthLimit) + 1), &e));
    EXPECT_EQ(chain(e).back(), (Link { 7, "Nested too deep" }));
}

TEST(ADS_KVJSON, InstanceIsReusableAfterFailure)
{
    ADS_KVJSON json;
    Error e;
    EXPECT_FALSE(json.objectWithString("[1,[2,{\"a\":[3,", &e));
    auto v = json.objectWithString("[4]");
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, Value(Array { Value(Decimal { "4" }) }));
}

TEST(ADS_KVJSON, WriterScalarsAndTopLevelRule)
{
    EXPECT_EQ(write(Value(true)), "true");
    EXPECT_EQ(write(Value(false)), "false");
    EXPECT_EQ(write(Value(1)), "1");
    EXPECT_EQ(write(Value(int64_t(-9223372036854775807LL - 1))), "-9223372036854775808");
    EXPECT_EQ(write(Value(nullptr)), "null");
    EXPECT_EQ(write(Value(0.1)), "0.1");
    EXPECT_EQ(write(Value(-0.0)), "-0");
    // The shortest text that reads back to the same double.
    for (double d : { 1e300, 5e-324, 1.7976931348623157e308, 123456.789, 2.0 / 3.0 }) {
        const Value back = read(write(Value(d)));
        EXPECT_EQ(back.asDouble(), d) << write(Value(d));
    }

    ADS_KVJSON json;
    Error e;
    EXPECT_FALSE(json.stringWithObject(Value("s"), &e));
    EXPECT_EQ(chain(e), (std::vector<Link> { { 4, "Not valid type for JSON" } }));
    EXPECT_FALSE(json.stringWithObject(Value(1), &e));
    EXPECT_EQ(e.code, 4);
    EXPECT_EQ(json.stringWithObject(Value(Array {})), std::optional<std::string>("[]"));
    EXPECT_EQ(json.stringWithObject(Value(Dictionary {})), std::optional<std::string>("{}"));
}

TEST(ADS_KVJSON, WriterRefusesWhatJsonCannotSpell)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(writeFails(Value(nan)), (std::vector<Link> { { 1, "JSON serialisation not supported for Real" } }));
    EXPECT_EQ(writeFails(Value(-inf)), (std::vector<Link> { { 1, "JSON serialisation not supported for Real" } }));
    EXPECT_EQ(writeFails(Value(Decimal { "12abc" })),
        (std::vector<Link> { { 1, "JSON serialisation not supported for Decimal" } }));
    EXPECT_EQ(writeFails(Value(Decimal { "" })), (std::vector<Link> { { 1, "JSON serialisation not supported for Decimal" } }));
    EXPECT_EQ(writeFails(Value(Decimal { ".5" })), (std::vector<Link> { { 1, "JSON serialisation not supported for Decimal" } }));

    // A value failing inside an object names its key; inside an array the
    // element's own error passes up unchanged.
    EXPECT_EQ(writeFails(Value(Dictionary { { "x", Value(1) }, { "bad", Value(nan) } })),
        (std::vector<Link> {
            { 1, "Unsupported value for key bad in object" }, { 1, "JSON serialisation not supported for Real" } }));
    EXPECT_EQ(writeFails(Value(Array { Value(1), Value(inf) })),
        (std::vector<Link> { { 1, "JSON serialisation not supported for Real" } }));
    EXPECT_EQ(writeFails(Value(Dictionary { { "a\xff", Value(1) } })),
        (std::vector<Link> { { 1, "JSON object key must be string" } }));
    EXPECT_EQ(writeFails(Value(std::string("\xc3("))), (std::vector<Link> { { 1, "JSON serialisation not supported for String" } }));

    // Too deep for the recursive writer.
    Value deep(Array {});
    for (uint32_t i = 0; i < ADS_KVJSON::kHardDepthLimit; ++i)
        deep = Value(Array { std::move(deep) });
    EXPECT_EQ(writeFails(deep).back(), (Link { 7, "Nested too deep" }));
}

TEST(ADS_KVJSON, WriterDescribesDatesAndBytes)
{
    EXPECT_EQ(write(Value(platform::Date { 978307200.0 })), "\"2001-01-01 00:00:00 +0000\"");
    EXPECT_EQ(write(Value(platform::Date { 1709210096.75 })), "\"2024-02-29 12:34:56 +0000\"");
    EXPECT_EQ(write(Value(platform::Date { -1.0 })), "\"1969-12-31 23:59:59 +0000\"");
    EXPECT_EQ(write(Value(platform::Bytes { 0, 1, 2, 3, 0xab })), "\"<00010203 ab>\"");
    EXPECT_EQ(write(Value(platform::Bytes {})), "\"<>\"");
    EXPECT_EQ(writeFails(Value(platform::Date { std::numeric_limits<double>::infinity() })),
        (std::vector<Link> { { 1, "JSON serialisation not supported for Date" } }));
}

TEST(ADS_KVJSON, WriterEscaping)
{
    EXPECT_EQ(write(Value("a\"b\\c/d\x01\t\n\r\b\f\x1f" "e\xC3\xA9\xF0\x9F\x98\x80")),
        "\"a\\\"b\\\\c/d\\u0001\\t\\n\\r\\b\\f\\u001fe\xC3\xA9\xF0\x9F\x98\x80\"");
    EXPECT_EQ(write(Value(std::string("\0", 1))), "\"\\u0000\"");
    EXPECT_EQ(write(Value("plain text without anything to escape")), "\"plain text without anything to escape\"");
    // Keys are escaped like any string.
    EXPECT_EQ(write(Value(Dictionary { { "k\"\n", Value(1) } })), "{\"k\\\"\\n\":1}");
    // Whatever is written reads back unchanged.
    std::string all;
    for (int i = 0; i < 128; ++i)
        all.push_back(char(i));
    all += "\xE2\x82\xAC";
    EXPECT_EQ(read(write(Value(all))), Value(all));
}

TEST(ADS_KVJSON, WriterSortingAndIndentation)
{
    const Dictionary d {
        { "b", Value(1) },
        { "a", Value(Array { Value(true), Value(Dictionary {}), Value(Array {}) }) },
        { "C", Value(Dictionary { { "z", Value(nullptr) }, { "y", Value("s") } }) },
    };
    EXPECT_EQ(write(Value(d)), R"({"b":1,"a":[true,{},[]],"C":{"z":null,"y":"s"}})");
    EXPECT_EQ(write(Value(d), true), R"({"C":{"y":"s","z":null},"a":[true,{},[]],"b":1})");

    const auto golden = fileText(std::filesystem::path(TOLVANE_TEST_DATA_DIR) / "json" / "human_sorted.json");
    ASSERT_TRUE(golden) << "golden file missing";
    EXPECT_EQ(write(Value(d), true, true) + "\n", *golden);
    EXPECT_EQ(write(Value(Array {}), false, true), "[]");
    EXPECT_EQ(write(Value(Dictionary {}), false, true), "{}");
    // Indented text reads back to the same value.
    EXPECT_EQ(read(write(Value(d), false, true)), read(write(Value(d))));
}

// The benchmark inputs (large real-world texts): read, write, read again,
// plain, sorted and indented, and every form must give the same value.
TEST(ADS_KVJSON, BenchInputsRoundTrip)
{
    const char* env = std::getenv("TOLVANE_BENCH_DATA");
    const std::filesystem::path dir = env ? std::filesystem::path(env)
                                          : std::filesystem::path(TOLVANE_SOURCE_DIR) / ".." / "shared" / "bench-data";
    for (const char* name : { "twitter.json", "canada.json", "citm_catalog.json" }) {
        SCOPED_TRACE(name);
        const auto text = fileText(dir / name);
        ASSERT_TRUE(text) << "the benchmark inputs belong in " << dir;
        ADS_KVJSON json;
        Error e;
        const auto first = json.objectWithString(*text, &e);
        ASSERT_TRUE(first) << e.code << " " << e.message;
        for (int mode = 0; mode < 3; ++mode) {
            json.setSortKeys(mode >= 1);
            json.setHumanReadable(mode == 2);
            const auto written = json.stringWithObject(*first, &e);
            ASSERT_TRUE(written) << e.code << " " << e.message;
            const auto second = json.objectWithString(*written, &e);
            ASSERT_TRUE(second) << e.code << " " << e.message;
            EXPECT_TRUE(*first == *second) << "mode " << mode;
        }
    }
}

// Damaged text never crashes the reader: every cut and every changed byte
// gives either an error of ours or a value that survives a write and reread.
TEST(ADS_KVJSON, DamagedTextGivesErrorsOrValues)
{
    const std::string seed = R"({"name":"caf\u00e9 \ud83d\ude00","list":[1,-2.5e3,true,null,{"k":[]}],)"
                             R"("esc":"a\"b\\c\/\n","deep":[[[{"x":0.1}]]],"n":-0})";
    ADS_KVJSON json;
    ASSERT_TRUE(json.objectWithString(seed));
    std::mt19937 rng(11);
    const std::string alphabet = "{}[]\":,\\u0123456789abcdefE+-. \t\ntrue\x01\x80\xff";
    int values = 0, errors = 0;
    for (int i = 0; i < 4000; ++i) {
        std::string text = seed;
        if (i < int(seed.size())) {
            text.resize(size_t(i)); // every prefix
        } else {
            const int edits = 1 + int(rng() % 3);
            for (int k = 0; k < edits; ++k)
                text[rng() % text.size()] = alphabet[rng() % alphabet.size()];
        }
        Error e;
        const auto v = json.fragmentWithString(text, &e);
        if (!v) {
            ++errors;
            EXPECT_EQ(e.domain, ADS_KVJSONErrorDomain);
            EXPECT_GE(e.code, 1);
            EXPECT_LE(e.code, 12);
            continue;
        }
        ++values;
        const auto written = json.stringWithFragment(*v, &e);
        ASSERT_TRUE(written) << text << " -> " << e.message;
        const auto again = json.fragmentWithString(*written);
        ASSERT_TRUE(again) << *written;
        EXPECT_TRUE(*again == *v) << text;
    }
    EXPECT_GT(values, 0);
    EXPECT_GT(errors, 0);
}
