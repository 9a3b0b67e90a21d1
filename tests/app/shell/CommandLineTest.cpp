#include "CommandLine.h"

#include <gtest/gtest.h>
#include <map>

using tolvane::CommandLine;

namespace {

std::optional<tolvane::CommandLineOptions> parse(std::vector<std::string> args, std::string* error = nullptr)
{
    return CommandLine::parse(args, error);
}

}

TEST(CommandLine, NoArgumentsMeansTheWindow)
{
    auto o = parse({});
    ASSERT_TRUE(o);
    EXPECT_FALSE(o->help || o->version || o->settingsWindow || o->home || o->script || o->screenshot);
    EXPECT_TRUE(o->assignments.empty());
}

TEST(CommandLine, OptionsTakeValuesSeparatelyOrAfterAnEqualsSign)
{
    auto o = parse({ "--home", "/tmp/a b", "--script=run.txt", "--screenshot", "out.png", "--set", "numPlayers=3", "--set=is5hp=NO" });
    ASSERT_TRUE(o);
    EXPECT_EQ(*o->home, "/tmp/a b");
    EXPECT_EQ(*o->script, "run.txt");
    EXPECT_EQ(*o->screenshot, "out.png");
    ASSERT_EQ(o->assignments.size(), 2u);
    EXPECT_EQ(o->assignments[0], "numPlayers=3");
    EXPECT_EQ(o->assignments[1], "is5hp=NO");
    EXPECT_TRUE(parse({ "-h" })->help);
    EXPECT_TRUE(parse({ "--version" })->version);
    EXPECT_TRUE(parse({ "--settings", "--home", "x" })->settingsWindow);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow)
{
    std::string error;
    EXPECT_FALSE(parse({ "--colour" }, &error));
    EXPECT_EQ(error, "unknown option --colour");
    EXPECT_FALSE(parse({ "-x" }, &error));
    EXPECT_FALSE(parse({ "game.plist" }, &error));
    EXPECT_EQ(error, "unexpected argument \"game.plist\"");
    EXPECT_FALSE(parse({ "--home" }, &error));
    EXPECT_EQ(error, "option --home needs a value");
    EXPECT_FALSE(parse({ "--script=" }, &error));
    EXPECT_FALSE(parse({ "--version=2" }, &error));
    EXPECT_EQ(error, "option --version takes no value");
    EXPECT_FALSE(parse({ "--settings", "--script", "s.txt" }, &error));
}

TEST(CommandLine, VersionAndHelpTexts)
{
    EXPECT_EQ(CommandLine::versionText().rfind("tolvane ", 0), 0u);
    EXPECT_NE(CommandLine::versionText().find('.'), std::string::npos);
    std::string usage = CommandLine::usage();
    for (const char* option : { "--home", "--settings", "--set", "--script", "--screenshot", "--help", "--version", "Ctrl+Q" })
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    std::string message = CommandLine::noDisplayMessage();
    EXPECT_NE(message.find("no display"), std::string::npos);
    EXPECT_NE(message.find("--screenshot"), std::string::npos);
    EXPECT_NE(message.find("--script"), std::string::npos);
}

TEST(CommandLine, ADisplayIsNamedByXWaylandOrAQtPlatform)
{
    std::map<std::string, std::string> env;
    auto getenv = [&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_FALSE(CommandLine::displayAvailable(getenv));
    env["DISPLAY"] = "";
    EXPECT_FALSE(CommandLine::displayAvailable(getenv)); // set but empty names nothing
    env["DISPLAY"] = ":0";
    EXPECT_TRUE(CommandLine::displayAvailable(getenv));
    env.clear();
    env["WAYLAND_DISPLAY"] = "wayland-0";
    EXPECT_TRUE(CommandLine::displayAvailable(getenv));
    env.clear();
    env["QT_QPA_PLATFORM"] = "offscreen";
    EXPECT_TRUE(CommandLine::displayAvailable(getenv));
}
