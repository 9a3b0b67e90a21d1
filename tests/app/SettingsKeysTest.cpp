#include "SettingsKeys.h"

#include "platform/UserDefaults.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>

using tolvane::SettingsKeys;

// What every reader of the table relies on: each key found by its exact
// name once, a default of its own kind, integers' defaults inside their range.
TEST(SettingsKeys, EveryKeyIsFoundOnceWithADefaultOfItsKind)
{
    ASSERT_EQ(SettingsKeys::all().size(), 8u);
    for (const auto& key : SettingsKeys::all()) {
        EXPECT_EQ(SettingsKeys::find(key.name), &key);
        if (key.kind == SettingsKeys::Kind::Bool) {
            EXPECT_TRUE(key.defaultValue.isBool()) << key.name;
        } else {
            EXPECT_TRUE(key.defaultValue.isInteger()) << key.name;
            EXPECT_LE(key.minimum, key.defaultValue.asInt64()) << key.name;
            EXPECT_GE(key.maximum, key.defaultValue.asInt64()) << key.name;
        }
    }
    EXPECT_EQ(SettingsKeys::find("numplayers"), nullptr); // names are exact
}

// The readers answer the default for an absent key, the stored value as the
// store converts it otherwise, and hold integers to the range a player may
// choose from; the parser refuses what the readers would clamp, with a
// message that names that range, so the counter and the choices never disagree.
TEST(SettingsKeys, ReadersAndParserKeepToTheKeysRanges)
{
    platform::UserDefaults store(platform::Paths::preferences() + "/settings-keys-ranges.plist");
    for (const auto& key : SettingsKeys::all()) {
        store.removeObject(key.name);
        if (key.kind == SettingsKeys::Kind::Bool) {
            EXPECT_EQ(SettingsKeys::boolValue(store, key.name), key.defaultValue.asBool()) << key.name;
            store.setObject(key.name, platform::Value(!key.defaultValue.asBool()));
            EXPECT_NE(SettingsKeys::boolValue(store, key.name), key.defaultValue.asBool()) << key.name;
            continue;
        }
        EXPECT_EQ(SettingsKeys::integerValue(store, key.name), key.defaultValue.asInt64()) << key.name;
        for (int64_t inside : { key.minimum, key.maximum }) {
            store.setObject(key.name, platform::Value(inside));
            EXPECT_EQ(SettingsKeys::integerValue(store, key.name), inside) << key.name;
            EXPECT_EQ(SettingsKeys::parseValue(key, std::to_string(inside)), std::optional(platform::Value(inside)))
                << key.name;
        }
        const std::string range = "from " + std::to_string(key.minimum) + " to " + std::to_string(key.maximum);
        for (int64_t outside : { key.minimum - 1, key.maximum + 1 }) {
            store.setObject(key.name, platform::Value(outside));
            EXPECT_EQ(SettingsKeys::integerValue(store, key.name), std::clamp(outside, key.minimum, key.maximum));
            std::string reason;
            EXPECT_FALSE(SettingsKeys::parseValue(key, std::to_string(outside), &reason)) << key.name;
            EXPECT_EQ(reason, std::string(key.name) + " takes a whole number " + range + ", not \"" + std::to_string(outside) + "\"");
        }
    }
    EXPECT_FALSE(SettingsKeys::boolValue(store, "noSuchKey"));
    EXPECT_EQ(SettingsKeys::integerValue(store, "noSuchKey"), 0);
}

TEST(SettingsKeys, BooleansAcceptTheUsualSpellingsAndNothingElse)
{
    const auto& key = *SettingsKeys::find("is5hp");
    for (const char* yes : { "YES", "yes", "true", "TRUE", "1" })
        EXPECT_EQ(SettingsKeys::parseValue(key, yes), std::optional(platform::Value(true))) << yes;
    for (const char* no : { "NO", "no", "false", "0" })
        EXPECT_EQ(SettingsKeys::parseValue(key, no), std::optional(platform::Value(false))) << no;
    std::string reason;
    for (const char* bad : { "", "Y", "2", "on", "yes " }) {
        EXPECT_FALSE(SettingsKeys::parseValue(key, bad, &reason)) << bad;
        EXPECT_NE(reason.find("is5hp"), std::string::npos);
    }
}

TEST(SettingsKeys, IntegersMustBeWhole)
{
    const auto& key = *SettingsKeys::find("diceFaceType");
    EXPECT_EQ(SettingsKeys::parseValue(key, "2147483647")->asInt64(), 2147483647);
    EXPECT_EQ(SettingsKeys::parseValue(key, "+6")->asInt64(), 6);
    EXPECT_TRUE(SettingsKeys::parseValue(key, "6")->isInteger());
    for (const char* bad : { "", "2147483648", "-2147483648", "-6", "6.5", "6x", " 6", "+-6", "-", "+", "0x10", "YES" })
        EXPECT_FALSE(SettingsKeys::parseValue(key, bad)) << bad;
}

TEST(SettingsKeys, AssignmentsNameAKnownKey)
{
    auto a = SettingsKeys::parseAssignment("numPlayers=3");
    ASSERT_TRUE(a);
    EXPECT_STREQ(a->first->name, "numPlayers");
    EXPECT_EQ(a->second.asInt64(), 3);
    std::string reason;
    EXPECT_FALSE(SettingsKeys::parseAssignment("players=3", &reason));
    EXPECT_NE(reason.find("unknown setting"), std::string::npos);
    EXPECT_FALSE(SettingsKeys::parseAssignment("numPlayers", &reason));
    EXPECT_FALSE(SettingsKeys::parseAssignment("numPlayers=", &reason));
    EXPECT_FALSE(SettingsKeys::parseAssignment("=3", &reason));
}

TEST(SettingsKeys, ApplyWritesThroughToTheFile)
{
    std::string path = platform::Paths::preferences() + "/settings-keys-test.plist";
    {
        platform::UserDefaults store(path);
        ASSERT_TRUE(SettingsKeys::apply(store, *SettingsKeys::find("isAlwaysOn"), platform::Value(false)));
        ASSERT_TRUE(SettingsKeys::apply(store, *SettingsKeys::find("numPlayers"), platform::Value(4)));
    }
    platform::UserDefaults reread(path);
    EXPECT_TRUE(reread.objectForKey("isAlwaysOn").isBool());
    EXPECT_FALSE(reread.boolForKey("isAlwaysOn"));
    EXPECT_EQ(reread.integerForKey("numPlayers"), 4);
    ASSERT_TRUE(SettingsKeys::remove(reread, *SettingsKeys::find("numPlayers")));
    platform::UserDefaults again(path);
    EXPECT_TRUE(again.objectForKey("numPlayers").isNull());
    EXPECT_FALSE(again.objectForKey("isAlwaysOn").isNull());
}
