// The banner's side of the bridge: once the ad is shown a navigation is a
// click that pings the click trackers and opens the landing page full screen,
// never in the banner; before that the common dispatch decides, and a failed
// page fails the ad.
#include "ads/support/BannerFixture.h"
#include "Browser/ADSBrowserController.h"
#include "View/ADSBannerWebViewDelegate.h"
#include "WebApp/ADSWebAppViewController.h"
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
        platform::Console::takeLines();

        std::optional<bool> clicked;
        banner->webView().simulateClickOnFirstLink([&](bool hadLink) { clicked = hadLink; });
        ASSERT_TRUE(pumpUntil([&] { return clicked.has_value(); }));
        ASSERT_TRUE(*clicked);
        ASSERT_TRUE(pumpUntil([&] { return root.modalViewController() != nullptr; }));
        auto* opened = dynamic_cast<ADSViewController*>(root.modalViewController());
        ASSERT_NE(opened, nullptr);
        platform::WebView* page = nullptr;
        if (ad == "pro") {
            auto* webApp = dynamic_cast<ADSWebAppViewController*>(opened);
            ASSERT_NE(webApp, nullptr) << "an ad with click tracking opens as a web app";
            page = webApp->webView();
        } else {
            auto* browser = dynamic_cast<ADSBrowserController*>(opened);
            ASSERT_NE(browser, nullptr) << "an ad without opens in the browser";
            page = browser->webView();
        }
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return page->request().has_value(); }));
        EXPECT_EQ(page->request()->url, server->url(ad == "pro" ? "/landing/webapp?ad=pro" : "/landing/browser?ad=dice"));
        EXPECT_EQ(opened->supportedOrientations(), object().supportedOrientations());
        EXPECT_EQ(opened->openingWebView(), &banner->webView()) << "the landing page's evalInOpener asks the ad";
        // Covered, the banner cannot be clicked: a page that navigates by
        // itself opens nothing more and pings nothing.
        banner->webView().stringByEvaluatingJavaScriptFromString(
            "location.href = " + std::string("'") + server->url("/landing/browser?ad=self") + "'", nullptr);
        pumpFor(0.5);
        EXPECT_EQ(opened->modalViewController(), nullptr);
        EXPECT_EQ(tracked("click", ad), ad == "pro" ? 1 : 0);
        opened->relinquishScreen();
        platform::RunLoop::main().runPending();
        EXPECT_EQ(root.modalViewController(), nullptr);
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
