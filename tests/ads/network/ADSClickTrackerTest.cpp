// Tracking pings against the local HTTP server: one outcome per ping, the
// non-HTTP redirect counted as done, background time and its expiry.
#include "Network/ADSClickTracker.h"
#include "LocalServerTest.h"
#include "RecordedRequests.h"
#include "Statistics/ADSStatistics.h"
#include "platform/Clock.h"
#include "platform/PlatformSession.h"
#include "platform/net/BackgroundTasks.h"
#include <gtest/gtest.h>

namespace {

struct TrackerOutcome : ADSClickTrackerDelegate {
    std::vector<std::string> redirected;
    std::vector<std::optional<platform::Error>> failures;
    std::function<void(ADSClickTracker&)> onRedirect;
    void didRedirect(ADSClickTracker& tracker, const platform::Url& url) override
    {
        redirected.push_back(url.absoluteString());
        if (onRedirect)
            onRedirect(tracker);
    }
    void didFailWithError(ADSClickTracker&, const std::optional<platform::Error>& error) override
    {
        failures.push_back(error);
    }
    size_t count() const { return redirected.size() + failures.size(); }
};

class ADSClickTrackerTest : public LocalServerTest {
protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        platform::BackgroundTasks::shared().setSupported(true);
        platform::BackgroundTasks::shared().setExpirationInterval(600);
    }
    void TearDown() override
    {
        platform::BackgroundTasks::shared().setSupported(true);
        platform::BackgroundTasks::shared().setExpirationInterval(600);
    }
    platform::Url url(const std::string& path) { return *platform::Url::fromString(server->url(path)); }
};


TEST_F(ADSClickTrackerTest, RedirectToAnAppStoreSchemeCountsAsTrackedOnceWithoutFailure)
{
    TrackerOutcome outcome;
    ADSClickTracker tracker;
    tracker.setDelegate(&outcome);
    tracker.trackURL(url("/redirect?to=itms-apps://itunes.example.com/app/id1"));
    EXPECT_NE(tracker.backgroundTaskID(), 0u);
    EXPECT_EQ(platform::BackgroundTasks::shared().activeCount(), 1u);

    ASSERT_TRUE(pumpUntil([&] { return outcome.count() > 0; }));
    pumpFor(0.3);
    ASSERT_EQ(outcome.redirected.size(), 1u);
    EXPECT_EQ(outcome.redirected[0], "itms-apps://itunes.example.com/app/id1");
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_TRUE(tracker.hasTracked());
    EXPECT_EQ(tracker.trackingURL()->absoluteString(), "itms-apps://itunes.example.com/app/id1");
    EXPECT_EQ(tracker.backgroundTaskID(), 0u);
    EXPECT_EQ(platform::BackgroundTasks::shared().activeCount(), 0u);
}

TEST_F(ADSClickTrackerTest, HttpRedirectsAreFollowedToTheFinalUrl)
{
    TrackerOutcome outcome;
    ADSClickTracker tracker;
    tracker.setDelegate(&outcome);
    tracker.trackURL(url("/redirect?to=/chain/2"));
    ASSERT_TRUE(pumpUntil([&] { return outcome.count() > 0; }));
    pumpFor(0.2);
    ASSERT_EQ(outcome.redirected.size(), 1u);
    EXPECT_EQ(outcome.redirected[0], server->url("/chain/0"));
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(recordedRequests(*server, "/chain/").size(), 3u);
}

TEST_F(ADSClickTrackerTest, AFailedPingIsReportedOnce)
{
    TrackerOutcome outcome;
    ADSClickTracker tracker;
    tracker.setDelegate(&outcome);
    tracker.trackURL(url("/status/500"));
    ASSERT_TRUE(pumpUntil([&] { return outcome.count() > 0; }));
    pumpFor(0.2);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_FALSE(outcome.failures[0].has_value());
    EXPECT_TRUE(outcome.redirected.empty());
    EXPECT_EQ(platform::BackgroundTasks::shared().activeCount(), 0u);
}

TEST_F(ADSClickTrackerTest, ANewPingFromTheDelegateCallbackReplacesTheOldOne)
{
    TrackerOutcome outcome;
    ADSClickTracker tracker;
    tracker.setDelegate(&outcome);
    bool again = true;
    outcome.onRedirect = [&](ADSClickTracker& t) {
        if (again) {
            again = false;
            t.trackURL(url("/content/second"));
        }
    };
    tracker.trackURL(url("/redirect?to=custom://first"));
    ASSERT_TRUE(pumpUntil([&] { return outcome.redirected.size() == 2; }));
    pumpFor(0.2);
    EXPECT_EQ(outcome.redirected[1], server->url("/content/second"));
    EXPECT_TRUE(outcome.failures.empty());
}

TEST_F(ADSClickTrackerTest, BackgroundExpiryStopsThePingSilently)
{
    platform::BackgroundTasks::shared().setExpirationInterval(30);
    TrackerOutcome outcome;
    ADSClickTracker tracker;
    tracker.setDelegate(&outcome);
    tracker.trackURL(url("/stall?bytes=1"));
    ASSERT_TRUE(pumpUntil([&] { return tracker.cachedFile() && tracker.cachedFile()->httpStatusCode() == 200; }));

    platform::PlatformSession::current()->virtualClock()->advance(31);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(tracker.cachedFile(), nullptr);
    EXPECT_FALSE(tracker.hasTracked());
    EXPECT_EQ(tracker.backgroundTaskID(), 0u);
    EXPECT_EQ(platform::BackgroundTasks::shared().activeCount(), 0u);
    // The stall timeout would have fired by now had the download survived.
    platform::PlatformSession::current()->virtualClock()->advance(60);
    pumpFor(0.2);
    EXPECT_EQ(outcome.count(), 0u);
}

TEST_F(ADSClickTrackerTest, WithoutBackgroundTasksRunningPingsAreCounted)
{
    platform::BackgroundTasks::shared().setSupported(false);
    TrackerOutcome outcome;
    ADSClickTracker tracker;
    tracker.setDelegate(&outcome);
    EXPECT_FALSE(ADSClickTracker::activeTrackings());
    tracker.trackURL(url("/content/counted"));
    EXPECT_TRUE(ADSClickTracker::activeTrackings());
    EXPECT_EQ(tracker.backgroundTaskID(), 0u);
    ASSERT_TRUE(pumpUntil([&] { return outcome.count() > 0; }));
    EXPECT_FALSE(ADSClickTracker::activeTrackings());
    // Ending again (reset, destruction) never drives the count below zero.
    tracker.reset();
    tracker.reset();
    EXPECT_FALSE(ADSClickTracker::activeTrackings());
    ADSClickTracker second;
    second.trackURL(url("/content/counted2"));
    EXPECT_TRUE(ADSClickTracker::activeTrackings());
    second.reset();
    EXPECT_FALSE(ADSClickTracker::activeTrackings());

    // A ping that has ended, reset again, takes nothing off another that
    // still runs.
    ADSClickTracker running;
    running.trackURL(url("/stall?bytes=0"));
    {
        TrackerOutcome quickOutcome;
        ADSClickTracker quick;
        quick.setDelegate(&quickOutcome);
        quick.trackURL(url("/content/quick"));
        ASSERT_TRUE(pumpUntil([&] { return quickOutcome.count() > 0; }));
        quick.reset();
        quick.trackURL(url("/content/quick2"));
        quick.reset();
    }
    EXPECT_TRUE(ADSClickTracker::activeTrackings()) << "the stalled ping still runs";
    running.reset();
    EXPECT_FALSE(ADSClickTracker::activeTrackings());
}

TEST_F(ADSClickTrackerTest, NoUrlIsIgnoredAndResetDeletesThePingFile)
{
    ADSClickTracker tracker;
    tracker.trackURL(std::nullopt);
    EXPECT_EQ(tracker.cachedFile(), nullptr);
    EXPECT_EQ(platform::BackgroundTasks::shared().activeCount(), 0u);

    TrackerOutcome outcome;
    tracker.setDelegate(&outcome);
    tracker.trackURL(url("/content/filed"));
    ASSERT_TRUE(pumpUntil([&] { return outcome.count() > 0; }));
    std::string path = tracker.cachedFile()->filePath();
    EXPECT_TRUE(tracker.cachedFile()->hasContent());
    tracker.reset();
    EXPECT_FALSE(tracker.hasTracked());
    EXPECT_EQ(tracker.cachedFile(), nullptr);
    ADSCachedFile probe(nullptr, url("/content/filed"));
    EXPECT_EQ(probe.filePath(), path);
    EXPECT_FALSE(probe.hasContent());
}

}
