#include "ScriptParser.h"

#include <gtest/gtest.h>

using tolvane::ScriptCommand;
using tolvane::ScriptParser;
using K = ScriptCommand::Kind;

namespace {

ScriptCommand one(const std::string& line)
{
    auto r = ScriptParser::parse(line);
    EXPECT_FALSE(r.error) << line << ": " << (r.error ? r.error->message() : "");
    EXPECT_EQ(r.commands.size(), 1u) << line;
    return r.commands.empty() ? ScriptCommand {} : r.commands[0];
}

std::string errorOf(const std::string& script)
{
    auto r = ScriptParser::parse(script);
    return r.error ? r.error->message() : "";
}

}

TEST(ScriptParser, SkipsBlankLinesAndCommentsAndCountsLinesFromOne)
{
    auto r = ScriptParser::parse("# a script\n\n   \nlaunch   # start it\r\n\tdump\n# end");
    ASSERT_FALSE(r.error);
    ASSERT_EQ(r.commands.size(), 2u);
    EXPECT_EQ(r.commands[0].kind, K::Launch);
    EXPECT_EQ(r.commands[0].line, 4);
    EXPECT_EQ(r.commands[1].kind, K::Dump);
    EXPECT_EQ(r.commands[1].line, 5);
    EXPECT_TRUE(ScriptParser::parse("").commands.empty());
}

TEST(ScriptParser, CommandsWithoutArgumentsRefuseExtraWords)
{
    const std::pair<const char*, K> plain[] = { { "launch", K::Launch }, { "reset", K::Reset },
        { "hardreset", K::HardReset }, { "background", K::Background }, { "foreground", K::Foreground },
        { "terminate", K::Terminate }, { "dump", K::Dump }, { "clickad", K::ClickAd } };
    for (const auto& [word, kind] : plain) {
        EXPECT_EQ(one(word).kind, kind) << word;
        EXPECT_EQ(errorOf(std::string(word) + " now"), "line 1: " + std::string(word) + " takes no argument");
    }
}

TEST(ScriptParser, ReportsTheFirstFaultyLineAndKeepsWhatCameBefore)
{
    auto r = ScriptParser::parse("launch\ndump\nfly away\ndump\nbogus");
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->line, 3);
    EXPECT_EQ(r.error->message(), "line 3: unknown command \"fly\"");
    EXPECT_EQ(r.commands.size(), 2u);
    // Commands are case-sensitive, as the names of controls are.
    EXPECT_EQ(errorOf("Launch"), "line 1: unknown command \"Launch\"");
    EXPECT_EQ(errorOf(std::string("launch\0x", 8)).substr(0, 7), "line 1:");
}

TEST(ScriptParser, ClockTakesARealLocalDateAndTime)
{
    auto c = one("clock 2024-02-29T23:59:58");
    EXPECT_EQ(c.kind, K::Clock);
    const int expected[6] = { 2024, 2, 29, 23, 59, 58 };
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(c.dateTime[k], expected[k]);
    for (const char* bad : { "clock", "clock 2023-02-29T10:00:00", "clock 2026-13-01T10:00:00",
             "clock 2026-04-31T10:00:00", "clock 2026-01-01T24:00:00", "clock 2026-01-01 10:00:00",
             "clock 2026-1-01T10:00:00", "clock 2026-01-01T10:00:60", "clock 2026-01-01T10:00:00Z",
             "clock 1969-12-31T23:59:59", "clock 2026-01-0+T10:00:00" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;
}

TEST(ScriptParser, SettingsAreCheckedKeyByKey)
{
    auto c = one("settings numPlayers=3 isAskBeforeReset=NO diceFaceType=2147483647");
    ASSERT_EQ(c.settings.size(), 3u);
    EXPECT_EQ(c.settings[0].first, "numPlayers");
    EXPECT_EQ(c.settings[0].second.asInt64(), 3);
    EXPECT_TRUE(c.settings[1].second.isBool());
    EXPECT_FALSE(c.settings[1].second.asBool());
    // The same values and the same words as --set refuses.
    EXPECT_EQ(errorOf("settings numPlayers=13"), "line 1: numPlayers takes a whole number from 2 to 12, not \"13\"");
    EXPECT_EQ(errorOf("settings diceFaceType=0"),
        "line 1: diceFaceType takes a whole number from 1 to 2147483647, not \"0\"");
    EXPECT_EQ(errorOf("launch\nsettings numPlayers=3 colour=red"), "line 2: unknown setting \"colour\"");
    EXPECT_FALSE(errorOf("settings is5hp=maybe").empty());
    EXPECT_FALSE(errorOf("settings numPlayers=3.5").empty());
    EXPECT_FALSE(errorOf("settings").empty());
    EXPECT_EQ(one("unset isLandscapeAtStart").word, "isLandscapeAtStart");
    EXPECT_FALSE(errorOf("unset").empty());
    EXPECT_FALSE(errorOf("unset nothing").empty());
    EXPECT_FALSE(errorOf("unset is5hp isAlwaysOn").empty());
}

TEST(ScriptParser, PlayerActionsTakeTheirArguments)
{
    auto tap = one("tap buttonInc0");
    EXPECT_EQ(tap.kind, K::Tap);
    EXPECT_EQ(tap.word, "buttonInc0");
    EXPECT_FALSE(errorOf("tap").empty());
    EXPECT_FALSE(errorOf("tap a b").empty());

    auto wheel = one("wheel 3 17");
    EXPECT_EQ(wheel.first, 3);
    EXPECT_EQ(wheel.second, 17);
    for (const char* bad : { "wheel", "wheel 1", "wheel -1 4", "wheel 1 -4", "wheel 1 x", "wheel 1 2 3" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;

    EXPECT_TRUE(one("poison on").on);
    EXPECT_FALSE(one("poison off").on);
    EXPECT_FALSE(errorOf("poison").empty());
    EXPECT_FALSE(errorOf("poison yes").empty());

    EXPECT_EQ(one("alert 1").first, 1);
    EXPECT_FALSE(errorOf("alert").empty());
    EXPECT_FALSE(errorOf("alert -1").empty());

    for (int o = 1; o <= 4; ++o)
        EXPECT_EQ(one("rotate " + std::to_string(o)).first, o);
    for (const char* bad : { "rotate 0", "rotate 5", "rotate", "rotate left" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;
}

TEST(ScriptParser, NameTakesTheRestOfTheLineAsTyped)
{
    auto n = one("name 1 Team #1  of  the day");
    EXPECT_EQ(n.kind, K::Name);
    EXPECT_EQ(n.first, 1);
    EXPECT_EQ(n.word, "Team #1  of  the day");
    EXPECT_EQ(one("name 0 \xCF\x86 Lee\r").word, "\xCF\x86 Lee");
    // An empty name is a name a player can type.
    auto empty = one("name 2");
    EXPECT_EQ(empty.first, 2);
    EXPECT_EQ(empty.word, "");
    EXPECT_FALSE(errorOf("name Kim").empty());
    EXPECT_FALSE(errorOf("name -1 Kim").empty());
    // Typed key by key, so a runaway text is refused before anything runs,
    // and so are bytes the field would only show as replacement characters.
    const std::string longest(ScriptParser::kMaxNameBytes, 'x');
    EXPECT_EQ(one("name 1 " + longest).word, longest);
    EXPECT_EQ(errorOf("launch\nname 1 " + longest + "x"), "line 2: name takes at most 256 bytes of text");
    EXPECT_EQ(errorOf("name 1 Lee \xFF"), "line 1: name text is not valid UTF-8");
    EXPECT_FALSE(errorOf("name 1 \xC0\xAF").empty()); // an overlong '/'
}

TEST(ScriptParser, AdvanceTakesPlainNonNegativeSecondsUpToADay)
{
    EXPECT_DOUBLE_EQ(one("advance 2.5").seconds, 2.5);
    EXPECT_DOUBLE_EQ(one("advance 0").seconds, 0);
    EXPECT_DOUBLE_EQ(one("advance .25").seconds, 0.25);
    EXPECT_DOUBLE_EQ(one("advance 86400").seconds, 86400);
    for (const char* bad : { "advance", "advance -1", "advance 1e3", "advance nan", "advance inf",
             "advance 1.2.3", "advance .", "advance 86400.5", "advance 1 2" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;
}

TEST(ScriptParser, BannerWaitsTakeAStateAndRealSecondsUpToTenMinutes)
{
    auto waitFor = one("waitfor banner 6 20");
    EXPECT_EQ(waitFor.kind, K::WaitFor);
    EXPECT_EQ(waitFor.first, 6);
    EXPECT_DOUBLE_EQ(waitFor.seconds, 20);
    EXPECT_EQ(one("waitfor banner 0 600").first, 0);
    for (const char* bad : { "waitfor", "waitfor banner", "waitfor banner 6", "waitfor 6 20", "waitfor picker 6 20",
             "waitfor banner 8 20", "waitfor banner -1 20", "waitfor banner 6 -1", "waitfor banner 6 600.5",
             "waitfor banner 6 20 more" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;

    auto wait = one("wait 0.5");
    EXPECT_EQ(wait.kind, K::Wait);
    EXPECT_DOUBLE_EQ(wait.seconds, 0.5);
    for (const char* bad : { "wait", "wait -1", "wait 601", "wait soon", "wait 1 2" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;
}

TEST(ScriptParser, FullScreenWaitsTakeAKindAndTheComposerItsTwoButtons)
{
    for (const char* kind : { "browser", "webapp", "composer" }) {
        auto waitFor = one(std::string("waitfor fullscreen ") + kind + " 12.5");
        EXPECT_EQ(waitFor.kind, K::WaitForFullScreen);
        EXPECT_EQ(waitFor.word, kind);
        EXPECT_DOUBLE_EQ(waitFor.seconds, 12.5);
    }
    EXPECT_EQ(one("composer cancel").word, "cancel");
    EXPECT_EQ(one("composer send").kind, K::Composer);
    for (const char* bad : { "waitfor fullscreen", "waitfor fullscreen browser", "waitfor fullscreen game 5",
             "waitfor fullscreen webapp 601", "waitfor fullscreen webapp 5 6", "composer", "composer save",
             "composer send now" })
        EXPECT_FALSE(errorOf(bad).empty()) << bad;
}

TEST(ScriptParser, ScreenshotTakesAFileNameWithBlanks)
{
    EXPECT_EQ(one("screenshot /tmp/my shots/a.png").word, "/tmp/my shots/a.png");
    EXPECT_EQ(one("screenshot a.png # portrait").word, "a.png");
    EXPECT_FALSE(errorOf("screenshot").empty());
}
