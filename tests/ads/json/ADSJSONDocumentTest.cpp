#include "json/ADSJSONDocument.h"
#include "json/ADS_KVJSON.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

ADSJSONDocument readDocument(const std::string& text)
{
    ADS_KVJSON json;
    platform::Error e;
    auto doc = json.documentWithString(text, true, &e);
    EXPECT_TRUE(doc) << e.code << " " << e.message;
    return doc ? std::move(*doc) : ADSJSONDocument();
}

}

// The document owns everything it holds: neither the text nor the reader
// need to outlive it, and it survives being moved.
TEST(ADSJSONDocument, OwnsItsMemory)
{
    auto text = std::make_unique<std::string>(
        R"({"name":"caf\u00e9 \ud83d\ude00","long key that is well past any short-string size":[1,-2.5e3,true,null,"x"]})");
    auto reader = std::make_unique<ADS_KVJSON>();
    std::optional<ADSJSONDocument> read = reader->documentWithString(*text);
    ASSERT_TRUE(read);
    text->assign(text->size(), '#');
    text.reset();
    reader.reset();

    const ADSJSONDocument doc = std::move(*read);
    read.reset();
    const ADSJSONValue& root = doc.root();
    ASSERT_TRUE(root.isObject());
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root.find("name")->string(), "caf\xC3\xA9 \xF0\x9F\x98\x80");
    const ADSJSONValue* list = root.find("long key that is well past any short-string size");
    ASSERT_TRUE(list && list->isArray());
    ASSERT_EQ(list->items().size(), 5u);
    EXPECT_EQ(list->items()[1].numberText(), "-2.5e3");
    EXPECT_TRUE(list->items()[2].boolValue());
    EXPECT_TRUE(list->items()[3].isNull());
    EXPECT_EQ(root.find("absent"), nullptr);
    EXPECT_EQ(root.find("name")->find("name"), nullptr) << "a string has no members";
}

// Far more values than the text has bytes, so the arena needs several blocks.
TEST(ADSJSONDocument, GrowsPastItsFirstBlock)
{
    std::string text = "[";
    const int count = 200000;
    for (int i = 0; i < count; ++i)
        text += i % 2 ? "[]," : "7,";
    text += "{}]";
    const ADSJSONDocument doc = readDocument(text);
    ASSERT_EQ(doc.root().items().size(), size_t(count) + 1);
    EXPECT_GT(doc.bytesReserved(), text.size() * 2);
    for (int i = 0; i < count; ++i) {
        const ADSJSONValue& item = doc.root().items()[size_t(i)];
        ASSERT_TRUE(i % 2 ? item.isArray() && item.size() == 0 : item.numberText() == "7") << i;
    }
    EXPECT_TRUE(doc.root().items().back().isObject());
}

// Objects of every size up to well past the point where duplicate keys are
// found through a hash table, keys from a small set so that duplicates are
// common: each key keeps its first place and takes its last value.
TEST(ADSJSONDocument, DuplicateKeysAgainstAModel)
{
    std::mt19937 rng(99);
    const std::vector<std::string> keys = { "a", "b", "id", "id_str", "name", "text", "", "\xC3\xA9", "k\\\"q", "a\\u0062",
        "x0", "x1", "x2", "x3", "x4", "x5", "x6", "x7", "x8", "x9", "a much longer key than the others are", "y" };
    for (int trial = 0; trial < 400; ++trial) {
        const size_t members = size_t(trial % 80);
        std::vector<std::pair<std::string, int>> model;
        std::string text = "{";
        for (size_t i = 0; i < members; ++i) {
            const std::string& raw = keys[rng() % (trial % 3 == 0 ? keys.size() : 6)];
            text += (i ? "," : "") + ("\"" + raw + "\":") + std::to_string(i);
            // The key as read: escapes resolved.
            ADS_KVJSON json;
            const std::string key = json.fragmentWithString("\"" + raw + "\"")->asString();
            auto it = std::find_if(model.begin(), model.end(), [&](const auto& m) { return m.first == key; });
            if (it == model.end())
                model.emplace_back(key, int(i));
            else
                it->second = int(i);
        }
        text += "}";
        const ADSJSONDocument doc = readDocument(text);
        const auto read = doc.root().members();
        ASSERT_EQ(read.size(), model.size()) << text;
        for (size_t i = 0; i < model.size(); ++i) {
            EXPECT_EQ(read[i].key(), model[i].first) << text;
            EXPECT_EQ(read[i].value().numberText(), std::to_string(model[i].second)) << text;
            EXPECT_EQ(doc.root().find(model[i].first), &read[i].value());
        }
    }
}

// Number texts of every length and shape keep every character, whether the
// value holds them itself or they sit in the arena, and wherever the text
// ends (the reader must not look past its end for the short ones).
TEST(ADSJSONDocument, NumberTextsKeepEveryCharacter)
{
    std::mt19937 rng(5);
    auto digits = [&](size_t n, bool leading) {
        std::string s;
        for (size_t i = 0; i < n; ++i)
            s.push_back(char('0' + (leading && i == 0 ? 1 + rng() % 9 : rng() % 10)));
        return s;
    };
    std::vector<std::string> numbers;
    for (int i = 0; i < 3000; ++i) {
        std::string n = rng() % 2 ? "-" : "";
        n += rng() % 5 ? digits(1 + rng() % 20, true) : "0";
        if (rng() % 2)
            n += "." + digits(1 + rng() % 20, false);
        if (rng() % 3 == 0)
            n += std::string(rng() % 2 ? "e" : "E") + (rng() % 3 == 0 ? "+" : rng() % 2 ? "-" : "") + digits(1 + rng() % 4, false);
        numbers.push_back(n);
    }
    std::string array = "[";
    for (size_t i = 0; i < numbers.size(); ++i)
        array += (i ? "," : "") + numbers[i];
    array += "]";
    const ADSJSONDocument doc = readDocument(array);
    ASSERT_EQ(doc.root().items().size(), numbers.size());
    // The platform values are spelled by their own path, straight into the value.
    const platform::Value values = doc.root().toValue();
    ASSERT_EQ(values.asArray().size(), numbers.size());
    size_t inlineLengths = 0, longer = 0;
    for (size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(doc.root().items()[i].numberText(), numbers[i]);
        EXPECT_EQ(values.asArray()[i].decimalText(), numbers[i]);
        (numbers[i].size() <= ADSJSONValue::kInlineNumberLength ? inlineLengths : longer)++;
        // Alone, the number is also the end of the text.
        const ADSJSONDocument alone = readDocument(numbers[i]);
        EXPECT_EQ(alone.root().numberText(), numbers[i]);
        EXPECT_EQ(alone.toValue(), platform::Value(platform::Decimal { numbers[i] }));
    }
    EXPECT_GT(inlineLengths, 100u);
    EXPECT_GT(longer, 100u);
}
