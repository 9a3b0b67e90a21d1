// The banner's side of the bridge: once the ad is shown a navigation is a
// click that pings the click trackers and opens the landing page elsewhere,
// never in the banner; before that the common dispatch decides, and a failed
// page fails the ad.
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
    // "pro" has click tracking and opens as a web app; "dice" has none and
    // opens in the browser.
    for (const std::string ad : { "pro", "dice" }) {
        SCOPED_TRACE(ad);
        mode("pin=" + ad);
        load();
        ASSERT_TRUE(waitUntilSettled());
        ASSERT_EQ(object().state(), ADSObjectPrivate::AdShown);
        const std::string shown = banner->webView().request() ? banner->webView().request()->url : "";
        // The engine takes input once the page's first frame is on screen.
        pumpFor(0.5);
        platform::Console::takeLines();

        std::optional<bool> clicked;
        banner->webView().simulateClickOnFirstLink([&](bool hadLink) { clicked = hadLink; });
        ASSERT_TRUE(pumpUntil([&] { return clicked.has_value(); }));
        ASSERT_TRUE(*clicked);
        std::vector<std::string> lines;
        auto collect = [&] {
            for (std::string& line : platform::Console::takeLines())
                lines.push_back(std::move(line));
            return !lines.empty();
        };
        ASSERT_TRUE(pumpUntil(collect));
        pumpFor(0.5);
        collect();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], ad == "pro" ? "<Ads> No full-screen web app yet; not opening " + server->url("/landing/webapp?ad=pro")
                                        : "<Ads> No in-app browser yet; not opening " + server->url("/landing/browser?ad=dice"));
        EXPECT_EQ(tracked("click", ad), ad == "pro" ? 1 : 0);
        EXPECT_EQ(object().state(), ADSObjectPrivate::AdShown);
        EXPECT_EQ(banner->webView().request() ? banner->webView().request()->url : "", shown) << "the banner's page stays";
    }
}

TEST_F(ADSBannerWebViewDelegateTest, AFailedPageFailsTheAdUnlessTheAdIsAlreadyShown)
{
    platform::WebView& view = banner->webView();
    view.delegate()->didFailLoadWithError(view, platform::Error("test", 1, "page failed"));
    EXPECT_EQ(object().state(), ADSObjectPrivate::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));

    load();
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(object().state(), ADSObjectPrivate::AdShown);
    view.delegate()->didFailLoadWithError(view, platform::Error("test", 1, "a later frame failed"));
    EXPECT_EQ(object().state(), ADSObjectPrivate::AdShown);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));
}

}
