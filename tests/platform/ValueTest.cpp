#include "platform/Value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace platform;

TEST(Value, TypedReadersAnswerNeutralValuesOnWrongType)
{
    Value s("text");
    EXPECT_FALSE(s.asBool());
    EXPECT_EQ(s.asInt64(), 0);
    EXPECT_EQ(s.asDouble(), 0.0);
    EXPECT_TRUE(s.asArray().empty());
    EXPECT_TRUE(s.asDictionary().empty());
    EXPECT_EQ(s.asDate().secondsSince1970, 0.0);
    EXPECT_EQ(s.arrayIf(), nullptr);

    Value n;
    EXPECT_EQ(n.asString(), "");
    EXPECT_EQ(n.stringIf(), nullptr);
    EXPECT_TRUE(n.asData().empty());
}

TEST(Value, NumbersConvertAmongThemselves)
{
    EXPECT_EQ(Value(2.9).asInt64(), 2);
    EXPECT_EQ(Value(-2.9).asInt64(), -2);
    EXPECT_EQ(Value(1e300).asInt64(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Value(std::numeric_limits<double>::quiet_NaN()).asInt64(), 0);
    EXPECT_EQ(Value(true).asInt64(), 1);
    EXPECT_DOUBLE_EQ(Value(int64_t(7)).asDouble(), 7.0);
    EXPECT_TRUE(Value(0.5).asBool());
    EXPECT_FALSE(Value(0).asBool());
    EXPECT_EQ(Value(int64_t(42)).asDecimal().text, "42");
    EXPECT_EQ(Value(0.1).asDecimal().text, "0.1");
}

TEST(Value, DecimalKeepsItsDigits)
{
    Decimal big { "12345678901234567890" };
    EXPECT_EQ(big.toInt64(), std::numeric_limits<int64_t>::max());
    Decimal exact { "9007199254740993" }; // 2^53 + 1, not a double
    EXPECT_EQ(exact.toInt64(), 9007199254740993LL);
    EXPECT_EQ(Decimal { "-12.50e3" }.toInt64(), -12500);
    EXPECT_EQ(Decimal { "-12.75" }.toInt64(), -12);
    EXPECT_DOUBLE_EQ(Decimal { "-12.50e3" }.toDouble(), -12500.0);
    EXPECT_EQ(Decimal { "abc" }.toInt64(), 0);
    EXPECT_TRUE(std::isinf(Decimal { "1e999" }.toDouble()));
    EXPECT_EQ(Value(Decimal { "3.25" }).asDouble(), 3.25);
}

// Short texts live in the value and long ones on the heap: every way of
// making, copying and moving one must keep the text, whichever side of the
// limit either value is on.
TEST(Value, DecimalTextsAcrossTheInlineLimit)
{
    const size_t limit = Value::kInlineDecimalLength;
    std::vector<std::string> texts;
    for (size_t n : { size_t(0), size_t(1), limit - 1, limit, limit + 1, size_t(200) }) {
        std::string t(n, '-');
        for (size_t i = 1; i < n; ++i)
            t[i] = char('0' + (i * 7 + n) % 10);
        texts.push_back(t);
    }
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        Value a(Decimal { text });
        Value b = Value::decimal(text);
        Value c;
        std::copy(text.begin(), text.end(), c.assignDecimal(text.size()));
        EXPECT_EQ(a.decimalText(), text);
        EXPECT_EQ(a, b);
        EXPECT_EQ(a, c);
        EXPECT_EQ(c.asDecimal().text, text);
        Value copy = c;
        c = Value(1);
        EXPECT_EQ(copy.decimalText(), text);
        for (const std::string& other : texts) {
            Value target = Value::decimal(other);
            target = copy;
            EXPECT_EQ(target.decimalText(), text);
            Value moved = Value::decimal(other);
            Value source = copy;
            moved = std::move(source);
            EXPECT_EQ(moved.decimalText(), text);
            EXPECT_EQ(moved == Value::decimal(other), text == other);
        }
        Value self = copy;
        self = *&self;
        EXPECT_EQ(self.decimalText(), text);
    }
    std::string longExponent(44, '0');
    longExponent.replace(0, 4, "12.5").back() = '2';
    longExponent[4] = 'e';
    EXPECT_DOUBLE_EQ(Value::decimal(longExponent).asDouble(), 1250.0);
}

// An empty container made without storage behaves as any other: of its type,
// equal to one emptied by hand, and given storage of its own when changed.
TEST(Value, EmptyContainersWithoutStorage)
{
    Value array(Array {});
    Value dict(Dictionary {});
    ASSERT_TRUE(array.isArray());
    ASSERT_TRUE(dict.isDictionary());
    ASSERT_NE(array.arrayIf(), nullptr);
    ASSERT_NE(dict.dictionaryIf(), nullptr);
    EXPECT_TRUE(array.asArray().empty());
    EXPECT_TRUE(dict.asDictionary().empty());
    EXPECT_EQ(dict.asDictionary().find("k"), nullptr);

    Value emptied(Array { Value(1) });
    emptied.mutableArray().clear();
    EXPECT_EQ(array, emptied);
    EXPECT_NE(array, Value(Array { Value(1) }));
    EXPECT_NE(array, dict);

    Value copy = array;
    copy.mutableArray().push_back(Value("x"));
    Value dictCopy = dict;
    dictCopy.mutableDictionary().set("k", Value(true));
    EXPECT_TRUE(array.asArray().empty());
    EXPECT_TRUE(dict.asDictionary().empty());
    EXPECT_EQ(copy.asArray().at(0).asString(), "x");
    EXPECT_TRUE(dictCopy.asDictionary().get("k").asBool());
    EXPECT_NE(copy, array);
}

TEST(Value, MutationCopiesSharedStorage)
{
    Value a(Array { Value(1), Value("x") });
    Value b = a;
    EXPECT_EQ(a.identity(), b.identity());
    b.mutableArray().push_back(Value(3));
    EXPECT_EQ(a.asArray().size(), 2u);
    EXPECT_EQ(b.asArray().size(), 3u);
    EXPECT_NE(a.identity(), b.identity());

    Value s("abc");
    Value t = s;
    t.mutableString() += "d";
    EXPECT_EQ(s.asString(), "abc");
    EXPECT_EQ(t.asString(), "abcd");

    // The sole owner mutates in place.
    const void* before = t.identity();
    t.mutableString() += "e";
    EXPECT_EQ(t.identity(), before);

    Value n(5);
    n.mutableDictionary().set("k", Value(true));
    EXPECT_TRUE(n.isDictionary());
    EXPECT_TRUE(n.asDictionary().get("k").asBool());
}

TEST(Value, SeparateStringsHaveSeparateIdentities)
{
    Value a("Orrin"), b("Orrin");
    EXPECT_EQ(a, b);
    EXPECT_NE(a.identity(), b.identity());
}

TEST(Value, EqualityAcrossTypes)
{
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_NE(Value(1), Value(1.5));
    EXPECT_NE(Value(std::numeric_limits<int64_t>::max()), Value(9223372036854775808.0));
    EXPECT_NE(Value(1), Value("1"));
    EXPECT_NE(Value(true), Value(1));
    EXPECT_EQ(Value(), Value(nullptr));
    EXPECT_EQ(Value(Bytes { 1, 2 }), Value(Bytes { 1, 2 }));
    EXPECT_EQ(Value(Date { 5 }), Value(Date { 5 }));
    EXPECT_NE(Value(Date { 5 }), Value(Date { 6 }));
}

TEST(Value, DictionaryKeepsInsertionOrderAndReplacesInPlace)
{
    Dictionary d { { "b", Value(1) }, { "a", Value(2) }, { "b", Value(3) } };
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d.begin()->first, "b");
    EXPECT_EQ(d.begin()->second.asInt64(), 3);
    d.set("c", Value(4));
    d.set("a", Value(5));
    std::string order;
    for (const auto& [k, v] : d)
        order += k;
    EXPECT_EQ(order, "bac");
    EXPECT_EQ(d.get("a").asInt64(), 5);
    EXPECT_TRUE(d.get("zz").isNull());
    EXPECT_TRUE(d.remove("b"));
    EXPECT_FALSE(d.remove("b"));
    EXPECT_EQ(d.sortedKeys(), (std::vector<std::string> { "a", "c" }));
}

TEST(Value, LargeDictionaryLookupsStayCorrectThroughGrowthAndRemoval)
{
    Dictionary d;
    const int n = 5000;
    for (int i = 0; i < n; ++i)
        d.set("key" + std::to_string(i), Value(i));
    for (int i = 0; i < n; i += 7)
        d.set("key" + std::to_string(i), Value(-i)); // replacement, no growth
    EXPECT_EQ(d.size(), size_t(n));
    for (int i = 0; i < n; ++i) {
        const Value* v = d.find("key" + std::to_string(i));
        ASSERT_NE(v, nullptr) << i;
        EXPECT_EQ(v->asInt64(), i % 7 == 0 ? -i : i);
    }
    EXPECT_EQ(d.find("key5000"), nullptr);
    for (int i = 0; i < n; i += 2)
        EXPECT_TRUE(d.remove("key" + std::to_string(i)));
    EXPECT_EQ(d.size(), size_t(n / 2));
    EXPECT_EQ(d.find("key10"), nullptr);
    ASSERT_NE(d.find("key11"), nullptr);
    EXPECT_EQ(d.find("key11")->asInt64(), 11);
    // One reserved for many keys indexes them from the first; removals that
    // take it below the indexed size and appends that grow it keep it right.
    Dictionary r;
    r.reserve(40);
    for (int i = 0; i < 100; ++i)
        r.appendUnchecked("res" + std::to_string(i), Value(i));
    for (int i = 0; i < 95; ++i) {
        ASSERT_TRUE(r.remove("res" + std::to_string(i * 37 % 100))) << i;
        ASSERT_NE(r.find("res" + std::to_string((i + 1) * 37 % 100)), nullptr) << i;
    }
    for (int i = 0; i < 100; ++i) {
        const Value* v = r.find("res" + std::to_string(i));
        bool kept = true;
        for (int j = 0; j < 95; ++j)
            kept = kept && j * 37 % 100 != i;
        ASSERT_EQ(v != nullptr, kept) << i;
        if (v) {
            EXPECT_EQ(v->asInt64(), i);
        }
    }
    // A copy answers lookups on its own.
    Dictionary copy = d;
    d.clear();
    ASSERT_NE(copy.find("key4999"), nullptr);
    EXPECT_EQ(d.find("key4999"), nullptr);
}

TEST(Value, DictionaryEqualityIgnoresOrder)
{
    Dictionary a { { "x", Value(1) }, { "y", Value("t") } };
    Dictionary b { { "y", Value("t") }, { "x", Value(1) } };
    EXPECT_EQ(a, b);
    b.set("x", Value(2));
    EXPECT_FALSE(a == b);
    b.set("x", Value(1));
    b.set("z", Value());
    EXPECT_FALSE(a == b);
}
