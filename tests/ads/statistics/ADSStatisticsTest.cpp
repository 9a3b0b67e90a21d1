// What each ad request reports of earlier ads, and what reporting clears.
#include "Statistics/ADSStatistics.h"
#include "ADSConfiguration.h"
#include "Signals/ADSSignals.h"
#include "platform/Clock.h"
#include "platform/PlatformSession.h"
#include "platform/UserDefaults.h"
#include <gtest/gtest.h>

namespace {

void advance(double s) { platform::PlatformSession::current()->virtualClock()->advance(s); }
platform::Url url(const std::string& text) { return *platform::Url::fromString(text); }

class ADSStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }
    void TearDown() override { fresh(); }
    static void fresh()
    {
        ADSStatistics::releaseSharedStatistics();
        platform::UserDefaults::standard().removeObject("ads_stats_shared");
        platform::UserDefaults::standard().removeObject("ads_timing_shared");
        ADSSignals::shared().reset();
    }
    ADSStatistics& stats() { return ADSStatistics::sharedStatistics(); }
};

TEST_F(ADSStatisticsTest, ClickThenRequestReportsLatenciesOnceAndClearsThem)
{
    stats().startTimingNamed("ppcl"); // the banner page finished loading
    advance(2);
    platform::Url clicked = stats().urlForClick(url("http://ads.example.com/click?x=1"));
    EXPECT_EQ(clicked.absoluteString(), "http://ads.example.com/click?x=1") << "no ai: measured, not rewritten";
    EXPECT_TRUE(stats().isTimingClick());
    advance(3); // the landing view is still open at the next request

    platform::Dictionary p = stats().parameters();
    EXPECT_EQ(p.get("pcl").asString(), "3000");
    EXPECT_EQ(p.get("ppcl").asString(), "2000");
    EXPECT_EQ(p.get("pcrl").asString(), "0");
    EXPECT_TRUE(p.get("pcc").isNumber());
    EXPECT_EQ(p.get("pcc").asInt64(), 1);
    EXPECT_FALSE(p.contains("date")) << "the click date is internal";
    EXPECT_FALSE(p.contains("pai"));

    platform::Dictionary next = stats().parameters();
    EXPECT_FALSE(next.contains("pcl"));
    EXPECT_FALSE(next.contains("ppcl"));
    EXPECT_FALSE(next.contains("pcc"));
    EXPECT_TRUE(next.empty());
}

TEST_F(ADSStatisticsTest, ADisplayWithoutClickDropsPreClickAndSendsLoadLatency)
{
    stats().startTimingNamed("prl");
    advance(0.75);
    stats().endTimingNamed("prl");
    stats().startTimingNamed("ppcl");
    advance(10);
    platform::Dictionary p = stats().parameters();
    EXPECT_EQ(p.get("prl").asString(), "750");
    EXPECT_FALSE(p.contains("ppcl"));
    EXPECT_EQ(stats().timingNamed("ppcl"), nullptr);
    EXPECT_EQ(stats().timingNamed("prl"), nullptr);
}

TEST_F(ADSStatisticsTest, MessageUrlsAndBlankPagesAreNotClicks)
{
    for (const char* text : { "about:blank", "amsg://open?u=x", "adnet://touch?tx=1" }) {
        platform::Url u = url(text);
        EXPECT_EQ(stats().urlForClick(u).absoluteString(), u.absoluteString());
    }
    EXPECT_EQ(stats().timingNamed("pcl"), nullptr);
    EXPECT_TRUE(stats().parameters().empty());
}

TEST_F(ADSStatisticsTest, ClickWithAiKeepsItAndAppendsTheClickSignal)
{
    platform::Url clicked = stats().urlForClick(url("http://ads.example.com/aclk?ai=ABC123&q=1"));
    const std::string& text = clicked.absoluteString();
    ASSERT_EQ(text.rfind("http://ads.example.com/aclk?ai=ABC123&q=1&cs", 0), 0u) << text;
    EXPECT_EQ(text.find('=', std::string("http://ads.example.com/aclk?ai=ABC123&q=1&cs").size()), std::string::npos)
        << "the signal is one bare component: " << text;
    platform::Dictionary p = stats().parameters();
    EXPECT_EQ(p.get("pai").asString(), "ABC123");
}

TEST_F(ADSStatisticsTest, ImpressionTicketComesOnlyFromTheTrackingDomain)
{
    stats().urlForClick(url("http://ads.example.com/c"));
    std::string domain = kADSClickTrackingDomain;
    stats().addClickTrackingURL(url("http://evil" + domain + "/xyz/TICKET1")); // look-alike host
    stats().addClickTrackingURL(url("http://" + domain + "/abc"));              // path too short (4)
    EXPECT_EQ(stats().timingNamed("pcl")->valueForKey("pit"), nullptr);
    stats().addClickTrackingURL(url("http://a." + domain + "/aclk/TICKET2"));
    platform::Dictionary p = stats().parameters();
    EXPECT_EQ(p.get("pit").asString(), "k/TICKET2");
}

TEST_F(ADSStatisticsTest, TwoRequestsInARowSendPtimeGrowingAndTheRequestCount)
{
    stats().startTimingNamed("ptime");
    EXPECT_EQ(stats().incrementAdRequestCount(), 1);
    advance(1);
    platform::Dictionary first = stats().parameters();
    EXPECT_EQ(first.get("ptime").asString(), "1000");
    EXPECT_EQ(first.get("preqs").asInt64(), 1);
    EXPECT_EQ(stats().incrementAdRequestCount(), 2);
    advance(2);
    platform::Dictionary second = stats().parameters();
    EXPECT_EQ(second.get("ptime").asString(), "3000");
    EXPECT_EQ(second.get("preqs").asInt64(), 2);
    EXPECT_EQ(stats().adRequestCount(), 2) << "never reset by reporting";
}

TEST_F(ADSStatisticsTest, CountersAtZeroAndUnsetFlagsAreNotSentAndSetOnesAreClearedAfterSending)
{
    stats().incrementPageNavigationCount();
    stats().incrementPageNavigationCount();
    stats().incrementSSLPageNavigationCount();
    stats().resetClickCount();
    stats().setBreakOutToSafari();
    stats().setAppOpenInterstitialNoFill();
    stats().setAppOpenInterstitialTimeOut();
    stats().resetAppOpenInterstitialTimeOut();
    platform::Dictionary p = stats().parameters();
    EXPECT_EQ(p.get("plpnc").asInt64(), 2);
    EXPECT_EQ(p.get("plpsnc").asInt64(), 1);
    EXPECT_EQ(p.get("pcbo").asInt64(), 1);
    EXPECT_EQ(p.get("aoi_nofill").asInt64(), 1);
    EXPECT_FALSE(p.contains("pcc"));
    EXPECT_FALSE(p.contains("aoi_timedout"));
    EXPECT_FALSE(p.contains("pclb"));
    EXPECT_FALSE(p.contains("preqs"));
    // Counter and flag order as reported.
    std::vector<std::string> keys;
    for (const auto& [k, v] : p)
        keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string> { "pcbo", "aoi_nofill", "plpnc", "plpsnc" }));

    EXPECT_TRUE(stats().parameters().empty());
    EXPECT_EQ(stats().statistics().numberForKey("plpnc")->asInt64(), 0) << "counters go back to 0";
    EXPECT_EQ(stats().statistics().numberForKey("pcbo"), nullptr) << "flags are removed";
}

TEST_F(ADSStatisticsTest, ABackgroundedClickReportsTheWallTimeSinceTheClickAsANumber)
{
    stats().urlForClick(url("http://ads.example.com/c"));
    stats().setClickBackgroundedApp();
    advance(4.25);
    platform::Dictionary p = stats().parameters();
    EXPECT_TRUE(p.get("pcl").isNumber());
    EXPECT_EQ(p.get("pcl").asInt64(), 4250);
    EXPECT_EQ(p.get("pclb").asInt64(), 1);
    EXPECT_FALSE(stats().parameters().contains("pclb"));
}

TEST_F(ADSStatisticsTest, UnreportedTimingsSurviveARestartAndCountersOnlyWhenWritten)
{
    stats().startTimingNamed("ptime");
    stats().startTimingNamed("plpl");
    stats().incrementAdRequestCount();
    stats().synchronize();
    stats().incrementClickCount(); // written only by the release below
    ADSStatistics::releaseSharedStatistics();
    advance(2);
    platform::Dictionary p = stats().parameters();
    EXPECT_EQ(p.get("ptime").asString(), "2000");
    EXPECT_EQ(p.get("plpl").asString(), "2000");
    EXPECT_EQ(p.get("preqs").asInt64(), 1);
    EXPECT_EQ(p.get("pcc").asInt64(), 1);
}

TEST_F(ADSStatisticsTest, TimingNamesInReportOrder)
{
    EXPECT_EQ(ADSStatistics::allTimingNames(),
        (std::vector<std::string> { "prl", "pcl", "pai", "ppcl", "pcrl", "plpl", "plpd", "ptime" }));
    stats().startTimingNamed("ptime");
    stats().startTimingNamed("prl");
    stats().startTimingNamed("plpd");
    std::vector<std::string> keys;
    for (const auto& [k, v] : stats().parameters())
        keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string> { "prl", "plpd", "ptime" }));
}

}
