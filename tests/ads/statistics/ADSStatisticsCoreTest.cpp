// The persistent counter store: typed setters, counters, persistence.
#include "Statistics/ADSStatisticsCore.h"
#include "platform/Console.h"
#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "platform/UserDefaults.h"
#include <gtest/gtest.h>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace {

class ADSStatisticsCoreTest : public ::testing::Test {
protected:
    void SetUp() override { platform::UserDefaults::standard().removeObject("ads_stats_c1"); }
    void TearDown() override
    {
        platform::FileSystem::setFaultHook(nullptr);
        platform::UserDefaults::standard().removeObject("ads_stats_c1");
    }
};

TEST_F(ADSStatisticsCoreTest, TypedSettersStoreOnlyTheirKind)
{
    ADSStatisticsCore core("c1");
    core.setNumber(platform::Value("12"), "n");
    EXPECT_EQ(core.numberForKey("n"), nullptr);
    core.setNumber(platform::Value(12), "n");
    ASSERT_NE(core.numberForKey("n"), nullptr);
    EXPECT_EQ(core.numberForKey("n")->asInt64(), 12);

    core.setString(platform::Value(5), "s");
    EXPECT_EQ(core.stringForKey("s"), nullptr);
    core.setString(platform::Value("five"), "s");
    EXPECT_EQ(core.stringForKey("s")->asString(), "five");

    core.setDate(platform::Value("2011-11-15"), "d");
    EXPECT_EQ(core.dateForKey("d"), nullptr);
    core.setDate(platform::Value(platform::Date { 1321344751 }), "d");
    EXPECT_EQ(core.dateForKey("d")->asDate().secondsSince1970, 1321344751);

    core.setArray(platform::Value(platform::Dictionary {}), "a");
    EXPECT_EQ(core.arrayForKey("a"), nullptr);
    core.setArray(platform::Value(platform::Array { 1, 2 }), "a");
    EXPECT_EQ(core.arrayForKey("a")->asArray().size(), 2u);

    core.setDictionary(platform::Value(platform::Array {}), "m");
    EXPECT_EQ(core.dictionaryForKey("m"), nullptr);
    core.setDictionary(platform::Value(), "m");
    EXPECT_EQ(core.dictionaryForKey("m"), nullptr);

    // A stored value of another kind is answered as it is: the getters do not check.
    EXPECT_EQ(core.numberForKey("s")->asString(), "five");
}

TEST_F(ADSStatisticsCoreTest, AddValueCountsFromZero)
{
    ADSStatisticsCore core("c1");
    EXPECT_EQ(core.addValue(1, "preqs"), 1);
    EXPECT_EQ(core.addValue(5, "preqs"), 6);
    EXPECT_EQ(core.addValue(-10, "preqs"), -4);
    EXPECT_TRUE(core.numberForKey("preqs")->isNumber());
    core.removeObjectForKey("preqs");
    EXPECT_EQ(core.addValue(2, "preqs"), 2);

    // A count stored at or past the ends of the range (a damaged or edited
    // store) stays at the end instead of wrapping round.
    core.setNumber(platform::Value(1e19), "big");
    EXPECT_EQ(core.addValue(1, "big"), INT64_MAX);
    core.setNumber(platform::Value(INT64_MIN), "small");
    EXPECT_EQ(core.addValue(-1, "small"), INT64_MIN);
}

TEST_F(ADSStatisticsCoreTest, PersistsOnSynchronizeAndDestructionAndReloads)
{
    {
        ADSStatisticsCore core("c1");
        core.addValue(3, "pcc");
        core.synchronize();
        EXPECT_EQ(platform::UserDefaults::standard().dictionaryForKey("ads_stats_c1").get("pcc").asInt64(), 3);
        core.setString(platform::Value("later"), "s");
    }
    ADSStatisticsCore again("c1");
    EXPECT_EQ(again.numberForKey("pcc")->asInt64(), 3);
    EXPECT_EQ(again.stringForKey("s")->asString(), "later");
    again.removeAllObjects();
    EXPECT_TRUE(again.allValues().empty());
}

// Two stores of one identifier: one that only read must not put back its old
// copy over what the other wrote meanwhile.
TEST_F(ADSStatisticsCoreTest, AStoreThatChangedNothingWritesNothingWhenItGoes)
{
    auto reader = std::make_unique<ADSStatisticsCore>("c1");
    {
        ADSStatisticsCore writer("c1");
        writer.addValue(5, "preqs");
    }
    reader.reset();
    EXPECT_EQ(platform::UserDefaults::standard().dictionaryForKey("ads_stats_c1").get("preqs").asInt64(), 5);

    reader = std::make_unique<ADSStatisticsCore>("c1");
    reader->removeObjectForKey("preqs");
    reader.reset();
    EXPECT_FALSE(platform::UserDefaults::standard().dictionaryForKey("ads_stats_c1").contains("preqs"))
        << "a removal is a change";
}

TEST_F(ADSStatisticsCoreTest, ADamagedStoreReadsAsEmpty)
{
    platform::UserDefaults::standard().setObject("ads_stats_c1", platform::Value(42));
    ADSStatisticsCore core("c1");
    EXPECT_TRUE(core.allValues().empty());
    EXPECT_EQ(core.addValue(1, "x"), 1);
}

TEST_F(ADSStatisticsCoreTest, AFailedSaveKeepsWhatWasStoredAndTheCountsInMemory)
{
    platform::Console::setEcho(false);
    platform::Console::setKeepingLines(true);
    ADSStatisticsCore core("c1");
    core.addValue(3, "pcc");
    core.synchronize();
    const std::string path = platform::UserDefaults::standard().filePath();
    const std::string before = platform::FileSystem::readFile(path).value_or("");
    using Step = platform::FileSystem::FileStep;
    for (Step step : { Step::CreateTemporary, Step::Write, Step::Sync, Step::Rename }) {
        platform::FileSystem::setFaultHook([&](Step s, const std::string&) { return s == step ? ENOSPC : 0; });
        core.addValue(1, "pcc");
        platform::Console::takeLines();
        core.synchronize();
        EXPECT_EQ(platform::Console::takeLines().size(), 1u);
        EXPECT_EQ(platform::FileSystem::readFile(path).value_or(""), before);
    }
    platform::FileSystem::setFaultHook(nullptr);
    core.synchronize();
    EXPECT_EQ(platform::UserDefaults(path).dictionaryForKey("ads_stats_c1").get("pcc").asInt64(), 7);
}

}
