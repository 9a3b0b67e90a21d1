// The script message "open" and leaving the application: which target each
// action goes to, and the short wait for tracking pings still running.
#include "Opener/ADSOpener.h"
#include "Delegate/ADSDelegateManager.h"
#include "Network/ADSClickTracker.h"
#include "Notification/ADSNotification.h"
#include "View/ADSBannerViewDelegate.h"
#include "ads/network/LocalServerTest.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/PlatformSession.h"
#include "platform/net/BackgroundTasks.h"
#include "platform/ui/Application.h"
#include <gtest/gtest.h>

namespace {

struct Leaving : ADSBannerViewDelegate {
    int left = 0;
    void adViewWillLeaveApplication(ADSBannerView&) override { ++left; }
};

class ADSOpenerTest : public LocalServerTest {
protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        static int banner;
        manager->setBannerDelegate(&leaving);
        manager->setAdView(reinterpret_cast<ADSBannerView*>(&banner));
        opener.setDelegateManager(manager);
        opened = platform::Application::shared().openedURLs().size();
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
    }
    void TearDown() override
    {
        platform::BackgroundTasks::shared().setSupported(true);
        platform::Console::setKeepingLines(false);
    }
    std::vector<std::string> newlyOpened() const
    {
        const auto& all = platform::Application::shared().openedURLs();
        return std::vector<std::string>(all.begin() + long(opened), all.end());
    }
    static void advance(double s) { platform::PlatformSession::current()->virtualClock()->advance(s); }

    Leaving leaving;
    std::shared_ptr<ADSDelegateManager> manager = ADSDelegateManager::create();
    ADSOpener opener;
    size_t opened = 0;
};

TEST_F(ADSOpenerTest, ActionsChooseTheTarget)
{
    // An action the opener does not know leaves the application, on the next turn.
    opener.openNotification(ADSNotification("open", platform::Dictionary { { "a", "call" }, { "u", "tel:5551234" } }));
    EXPECT_EQ(leaving.left, 1) << "the application hears it first";
    EXPECT_TRUE(newlyOpened().empty());
    platform::RunLoop::main().runPending();
    EXPECT_EQ(newlyOpened(), (std::vector<std::string> { "tel:5551234" }));

    // The browser and the web app get the click URL (a click signal added)
    // or the markup; without either the message is ignored.
    opener.openNotification(ADSNotification("open", platform::Dictionary { { "a", "video" }, { "u", "http://example.com/v?ai=abc" } }));
    opener.openNotification(ADSNotification("open", platform::Dictionary { { "a", "webapp" }, { "html", "<p>hi</p>" } }));
    opener.openNotification(ADSNotification("open", platform::Dictionary { { "a", "browser" } }));
    opener.openNotification(ADSNotification("open", platform::Dictionary { { "a", "webapp" }, { "u", "not a url" } }));
    std::vector<std::string> lines = platform::Console::takeLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("<Ads> No in-app browser yet; not opening http://example.com/v?ai=abc&cs", 0), 0u) << lines[0];
    EXPECT_NE(lines[1].find("9 bytes of ad markup"), std::string::npos) << lines[1];
    EXPECT_EQ(leaving.left, 1);
}

TEST_F(ADSOpenerTest, LeavingWaitsForRunningPingsAtMostThreeTimes)
{
    platform::BackgroundTasks::shared().setSupported(false);
    ADSClickTracker ping;
    ping.trackURL(platform::Url::fromString(server->url("/stall?bytes=1")));
    ASSERT_TRUE(ADSClickTracker::activeTrackings());

    opener.openApp(platform::Url::fromString("itms-apps://example.com/app/1"));
    advance(0.31);
    advance(0.31);
    EXPECT_EQ(leaving.left, 0) << "still waiting after two deferrals";
    advance(0.31);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(newlyOpened(), (std::vector<std::string> { "itms-apps://example.com/app/1" }))
        << "opened after the third deferral though the ping still runs";

    // A new open counts from 0 again, and stops waiting when the ping ends.
    opener.openApp(platform::Url::fromString("itms-apps://example.com/app/2"));
    advance(0.31);
    EXPECT_EQ(leaving.left, 1);
    ping.reset();
    advance(0.31);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(leaving.left, 2);
    EXPECT_EQ(newlyOpened().size(), 2u);
}

}
