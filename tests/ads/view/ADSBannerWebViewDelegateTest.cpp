// The banner's side of the bridge: once the ad is shown a navigation is a
// click that pings the click trackers and never moves the banner's page;
// before that the common dispatch decides, and a failed page fails the ad.
#include "ads/support/BannerFixture.h"
#include "View/ADSBannerWebViewDelegate.h"
#include "platform/ui/Window.h"

namespace {

class ADSBannerWebViewDelegateTest : public BannerFixture { };

TEST_F(ADSBannerWebViewDelegateTest, AClickOnTheShownAdPingsClickTrackersAndLeavesTheBannerAlone)
{
    platform::Window window;
    window.makeKeyAndVisible();
    window.addSubview(*banner);
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(object().state(), ADSObjectPrivate::AdShown);
    const std::string shown = banner->webView().request() ? banner->webView().request()->url : "";
    platform::Console::takeLines();

    bool clicked = false, done = false;
    banner->webView().simulateClickOnFirstLink([&](bool hadLink) {
        clicked = hadLink;
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done; }));
    ASSERT_TRUE(clicked);
    ASSERT_TRUE(pumpUntil([&] { return recordedRequests(*adServer, "/content/click").size() == 1; }));
    pumpFor(0.5);
    EXPECT_EQ(object().state(), ADSObjectPrivate::AdShown);
    EXPECT_EQ(banner->webView().request() ? banner->webView().request()->url : "", shown) << "the banner's page stays";
    std::vector<std::string> lines = platform::Console::takeLines();
    ASSERT_EQ(lines.size(), 1u);
    // The ad had click-tracking URLs, so the landing page opens as a web app,
    // with a click signal for its "ai" value.
    EXPECT_EQ(lines[0].rfind("<Ads> No full-screen web app yet; not opening http://127.0.0.1/landing?ai=demo&cs", 0), 0u) << lines[0];
}

TEST_F(ADSBannerWebViewDelegateTest, AFailedPageFailsTheAdUnlessTheAdIsAlreadyShown)
{
    platform::WebView& view = banner->webView();
    view.delegate()->didFailLoadWithError(view, platform::Error("test", 1, "page failed"));
    EXPECT_EQ(object().state(), ADSObjectPrivate::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));

    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(object().state(), ADSObjectPrivate::AdShown);
    view.delegate()->didFailLoadWithError(view, platform::Error("test", 1, "a later frame failed"));
    EXPECT_EQ(object().state(), ADSObjectPrivate::AdShown);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));
}

}
