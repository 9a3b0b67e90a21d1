#include "platform/Console.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

TEST(Console, KeepsLinesOnlyWhileAsked)
{
    Console::setEcho(false);
    Console::takeLines();
    Console::log("not kept");
    EXPECT_TRUE(Console::takeLines().empty());
    Console::setKeepingLines(true);
    Console::log("<Ads> one");
    Console::log(std::string("two"));
    EXPECT_EQ(Console::takeLines(), (std::vector<std::string> { "<Ads> one", "two" }));
    EXPECT_TRUE(Console::takeLines().empty());
    Console::log("dropped");
    Console::setKeepingLines(false);
    EXPECT_TRUE(Console::takeLines().empty());
    Console::setEcho(true);
}

TEST(Console, LinesFromManyThreadsAreAllKept)
{
    Console::setEcho(false);
    Console::setKeepingLines(true);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 250; ++i)
                Console::log("line");
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(Console::takeLines().size(), 1000u);
    Console::setKeepingLines(false);
    Console::setEcho(true);
}
