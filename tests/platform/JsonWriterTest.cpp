#include "platform/JsonWriter.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using platform::Array;
using platform::Dictionary;
using platform::Value;
using platform::JsonWriter;

TEST(JsonWriter, WritesScalarsAsJsonLiterals)
{
    EXPECT_EQ(JsonWriter::write(Value()), "null");
    EXPECT_EQ(JsonWriter::write(Value(true)), "true");
    EXPECT_EQ(JsonWriter::write(Value(false)), "false");
    EXPECT_EQ(JsonWriter::write(Value(-2147483648LL)), "-2147483648");
    EXPECT_EQ(JsonWriter::write(Value(int64_t(9007199254740993LL))), "9007199254740993");
    // Frames are floats: whole values print without a fraction, others round-trip.
    EXPECT_EQ(JsonWriter::write(Value(double(137.0f))), "137");
    EXPECT_EQ(JsonWriter::write(Value(0.5)), "0.5");
    EXPECT_EQ(std::stod(JsonWriter::write(Value(0.1))), 0.1);
    EXPECT_EQ(JsonWriter::write(Value(-0.0)), "0");
}

TEST(JsonWriter, NonFiniteNumbersBecomeNull)
{
    EXPECT_EQ(JsonWriter::write(Value(std::numeric_limits<double>::quiet_NaN())), "null");
    EXPECT_EQ(JsonWriter::write(Value(Array { Value(INFINITY), Value(-INFINITY) })), "[null,null]");
}

TEST(JsonWriter, DecimalsKeepTheirTextOnlyWhenItIsAJsonNumber)
{
    EXPECT_EQ(JsonWriter::write(Value(platform::Decimal { "-12.50e3" })), "-12.50e3");
    EXPECT_EQ(JsonWriter::write(Value(platform::Decimal { "0" })), "0");
    // Not JSON numbers (leading zero, lone sign, bare dot, two dots, plus
    // sign, cut exponent, trailing dot): written as the number they read as.
    const std::pair<const char*, const char*> cases[] = { { "012", "12" }, { "-", "0" }, { ".5", "0.5" },
        { "1.2.3", "1.2" }, { "+1", "1" }, { "1e", "1" }, { "1.", "1" } };
    for (const auto& [bad, written] : cases)
        EXPECT_EQ(JsonWriter::write(Value(platform::Decimal { bad })), written) << bad;
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters)
{
    EXPECT_EQ(JsonWriter::quote("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(JsonWriter::quote("2:05:09\tKim\t21\n"), R"("2:05:09\tKim\t21\n")");
    EXPECT_EQ(JsonWriter::quote(std::string("\x01\x1f\x7f", 3)), R"("\u0001\u001f\u007f")");
    EXPECT_EQ(JsonWriter::quote(std::string("a\0b", 3)), R"("a\u0000b")");
    EXPECT_EQ(JsonWriter::quote("\r\b\f"), R"("\r\b\f")");
    // The slash needs no escape and keeps URLs readable.
    EXPECT_EQ(JsonWriter::quote("https://x/y"), R"("https://x/y")");
}

TEST(JsonWriter, KeepsValidUtf8AndReplacesEveryBadByte)
{
    // The poison entries' phi and a four-byte character pass through as they are.
    EXPECT_EQ(JsonWriter::quote("\xCF\x86 Lee"), "\"\xCF\x86 Lee\"");
    EXPECT_EQ(JsonWriter::quote("\xF0\x9F\x82\xA1"), "\"\xF0\x9F\x82\xA1\"");
    const std::string replacement = "\xEF\xBF\xBD";
    // A lone continuation byte, a truncated sequence at the end, an overlong
    // slash, an encoded surrogate and a value above U+10FFFF.
    EXPECT_EQ(JsonWriter::quote("a\x80z"), "\"a" + replacement + "z\"");
    EXPECT_EQ(JsonWriter::quote("\xCF"), "\"" + replacement + "\"");
    EXPECT_EQ(JsonWriter::quote("\xC0\xAF"), "\"" + replacement + replacement + "\"");
    EXPECT_EQ(JsonWriter::quote("\xED\xA0\x80"), "\"" + replacement + replacement + replacement + "\"");
    EXPECT_EQ(JsonWriter::quote("\xF4\x90\x80\x80"), "\"" + replacement + replacement + replacement + replacement + "\"");
}

TEST(JsonWriter, ContainersKeepInsertionOrderAndNest)
{
    Dictionary d;
    d.set("zeta", Value(1));
    d.set("alpha", Value(Array { Value("x"), Value(Dictionary {}), Value(Array {}) }));
    d.set("mid", Value(Dictionary { { "k", Value() } }));
    EXPECT_EQ(JsonWriter::write(Value(d)), R"({"zeta":1,"alpha":["x",{},[]],"mid":{"k":null}})");
    EXPECT_EQ(JsonWriter::write(Value(Dictionary { { "a\"b", Value(2) } })), R"({"a\"b":2})");
}

TEST(JsonWriter, DatesAndDataHaveAPlainForm)
{
    EXPECT_EQ(JsonWriter::write(Value(platform::Date { 1768478400 })), "1768478400");
    EXPECT_EQ(JsonWriter::write(Value(platform::Bytes { 0, 255, 16 })), "[0,255,16]");
}

TEST(JsonWriter, RunawayDepthIsCutOffInsteadOfExhaustingTheStack)
{
    Value v(1);
    for (int i = 0; i < 5000; ++i)
        v = Value(Array { v });
    std::string text = JsonWriter::write(v);
    EXPECT_NE(text.find("null"), std::string::npos);
    EXPECT_EQ(text.find('1'), std::string::npos);
    // Still balanced JSON.
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), std::count(text.begin(), text.end(), ']'));
}
