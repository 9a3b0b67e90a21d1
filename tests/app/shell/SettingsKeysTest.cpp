#include "SettingsKeys.h"

#include "platform/UserDefaults.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

using tolvane::SettingsKeys;

TEST(SettingsKeys, TheEightKeysInReadingOrderWithTheirDefaults)
{
    const auto& keys = SettingsKeys::all();
    ASSERT_EQ(keys.size(), 8u);
    const char* order[] = { "isLandscapeAtStart", "isDiceRepeat", "is5hp", "isAskBeforeReset",
        "isThrow2Dices", "isAlwaysOn", "diceFaceType", "numPlayers" };
    const bool boolDefaults[] = { false, false, true, true, true, true };
    for (size_t i = 0; i < 8; ++i)
        EXPECT_STREQ(keys[i].name, order[i]);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(keys[i].kind, SettingsKeys::Kind::Bool);
        EXPECT_EQ(keys[i].defaultValue, platform::Value(boolDefaults[i])) << keys[i].name;
    }
    EXPECT_EQ(keys[6].kind, SettingsKeys::Kind::Integer);
    EXPECT_EQ(keys[6].defaultValue.asInt64(), 20);
    EXPECT_EQ(keys[7].defaultValue.asInt64(), 2);
    EXPECT_EQ(SettingsKeys::find("numplayers"), nullptr); // names are exact
}

TEST(SettingsKeys, BooleansAcceptTheUsualSpellingsAndNothingElse)
{
    const auto& key = *SettingsKeys::find("is5hp");
    for (const char* yes : { "YES", "yes", "true", "TRUE", "1" }) {
        auto v = SettingsKeys::parseValue(key, yes);
        ASSERT_TRUE(v) << yes;
        EXPECT_TRUE(v->isBool());
        EXPECT_TRUE(v->asBool());
    }
    for (const char* no : { "NO", "no", "false", "0" }) {
        auto v = SettingsKeys::parseValue(key, no);
        ASSERT_TRUE(v) << no;
        EXPECT_TRUE(v->isBool());
        EXPECT_FALSE(v->asBool());
    }
    std::string reason;
    for (const char* bad : { "", "Y", "2", "on", "yes " }) {
        EXPECT_FALSE(SettingsKeys::parseValue(key, bad, &reason)) << bad;
        EXPECT_NE(reason.find("is5hp"), std::string::npos);
    }
}

TEST(SettingsKeys, IntegersMustBeWholeAndWithin32Bits)
{
    const auto& key = *SettingsKeys::find("diceFaceType");
    EXPECT_EQ(SettingsKeys::parseValue(key, "2147483647")->asInt64(), 2147483647);
    EXPECT_EQ(SettingsKeys::parseValue(key, "-2147483648")->asInt64(), -2147483648LL);
    EXPECT_EQ(SettingsKeys::parseValue(key, "+6")->asInt64(), 6);
    EXPECT_TRUE(SettingsKeys::parseValue(key, "6")->isInteger());
    for (const char* bad : { "", "2147483648", "-2147483649", "6.5", "6x", " 6", "+-6", "-", "+", "0x10", "YES" })
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

TEST(SettingsKeys, PlayerChoicesStayWithinWhatTheCounterCanUse)
{
    const auto& players = *SettingsKeys::find("numPlayers");
    const auto& faces = *SettingsKeys::find("diceFaceType");
    EXPECT_FALSE(SettingsKeys::isPlayerChoice(players, platform::Value(1)));
    EXPECT_TRUE(SettingsKeys::isPlayerChoice(players, platform::Value(2)));
    EXPECT_TRUE(SettingsKeys::isPlayerChoice(players, platform::Value(12)));
    EXPECT_FALSE(SettingsKeys::isPlayerChoice(players, platform::Value(13)));
    EXPECT_FALSE(SettingsKeys::isPlayerChoice(faces, platform::Value(0)));
    EXPECT_TRUE(SettingsKeys::isPlayerChoice(faces, platform::Value(1)));
    EXPECT_TRUE(SettingsKeys::isPlayerChoice(faces, platform::Value(2147483647)));
    EXPECT_TRUE(SettingsKeys::isPlayerChoice(*SettingsKeys::find("isAlwaysOn"), platform::Value(false)));
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
