// Timings kept by name and persisted in the settings store: on synchronize, on
// the termination notification and on destruction.
#include "Timing/ADSTimingManager.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformSession.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

class ADSTimingManagerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::UserDefaults::standard().removeObject("ads_timing_t1"); }
    void TearDown() override { platform::UserDefaults::standard().removeObject("ads_timing_t1"); }
};

TEST_F(ADSTimingManagerTest, TimingsAreKeptByNameAndReplaced)
{
    ADSTimingManager m("t1");
    EXPECT_EQ(m.userDefaultsKey(), "ads_timing_t1");
    ADSTiming& a = m.addTimingWithCategory("prl");
    a.start();
    EXPECT_TRUE(m.timingForCategory("prl")->isActive());
    m.addTiming(ADSTiming("prl")); // replaces the running one
    EXPECT_FALSE(m.timingForCategory("prl")->isActive());
    m.addTiming(std::optional<ADSTiming>());
    m.addTimingWithCategory("pcl");
    m.addTimingWithCategory("ppcl");
    auto names = m.categories();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "pcl", "ppcl", "prl" }));
    EXPECT_EQ(m.timings().size(), 3u);
    m.removeTimingsForCategories({ "pcl", "nope" });
    EXPECT_EQ(m.timingForCategory("pcl"), nullptr);
    m.removeTiming(*m.timingForCategory("ppcl"));
    EXPECT_EQ(m.timings().size(), 1u);
    m.removeAllTimings();
    EXPECT_TRUE(m.categories().empty());
}

TEST_F(ADSTimingManagerTest, PersistedTimingsAreReadBackByTheNextManager)
{
    double start;
    {
        ADSTimingManager m("t1");
        ADSTiming& t = m.addTimingWithCategory("ptime");
        t.start();
        start = t.startSeconds();
        t.setValue(platform::Value("x"), "extra");
        m.addTimingWithCategory("idle");
    } // destruction writes
    ADSTimingManager again("t1");
    ADSTiming* t = again.timingForCategory("ptime");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->startSeconds(), start);
    EXPECT_TRUE(t->isActive());
    ASSERT_NE(t->valueForKey("extra"), nullptr);
    EXPECT_EQ(t->valueForKey("extra")->asString(), "x");
    ASSERT_NE(again.timingForCategory("idle"), nullptr);
    EXPECT_FALSE(again.timingForCategory("idle")->hasUserData());
    // What is stored is the timings' dictionary form, under the manager's key.
    platform::Dictionary stored = platform::UserDefaults::standard().dictionaryForKey("ads_timing_t1");
    EXPECT_EQ(stored.get("ptime").asDictionary().get("category").asString(), "ptime");
    EXPECT_FALSE(stored.get("idle").asDictionary().contains("userData"));
}

TEST_F(ADSTimingManagerTest, TerminationNotificationWritesTheTimings)
{
    ADSTimingManager m("t1");
    m.addTimingWithCategory("plpd").start();
    EXPECT_FALSE(platform::UserDefaults::standard().dictionaryForKey("ads_timing_t1").contains("plpd"));
    platform::NotificationCenter::defaultCenter().post(platform::kApplicationWillTerminateNotification);
    EXPECT_TRUE(platform::UserDefaults::standard().dictionaryForKey("ads_timing_t1").contains("plpd"));
}

TEST_F(ADSTimingManagerTest, ADestroyedManagerNoLongerListensForTermination)
{
    {
        ADSTimingManager m("t1");
        m.addTimingWithCategory("gone");
    }
    platform::UserDefaults::standard().removeObject("ads_timing_t1");
    platform::NotificationCenter::defaultCenter().post(platform::kApplicationWillTerminateNotification);
    EXPECT_FALSE(platform::UserDefaults::standard().objectForKey("ads_timing_t1").isDictionary());
}

TEST_F(ADSTimingManagerTest, DamagedStoreEntriesAreSkipped)
{
    platform::UserDefaults::standard().setObject("ads_timing_t1",
        platform::Value(platform::Dictionary { { "bad", "text" }, { "ok", platform::Dictionary { { "category", "ok" } } } }));
    ADSTimingManager m("t1");
    EXPECT_EQ(m.timingForCategory("bad"), nullptr);
    ASSERT_NE(m.timingForCategory("ok"), nullptr);
    EXPECT_EQ(m.timingForCategory("ok")->startSeconds(), 0);

    platform::UserDefaults::standard().setObject("ads_timing_t1", platform::Value("not a dictionary"));
    ADSTimingManager other("t1");
    EXPECT_TRUE(other.categories().empty());
}

}
