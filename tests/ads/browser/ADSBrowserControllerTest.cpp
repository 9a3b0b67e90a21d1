// The in-app browser against the local ad network: a page asked for before
// the screen exists loads with its referrer, the toolbar follows the page,
// only the user's links and forms are counted, and the page leaves for the
// desktop's browser on request.
#include "Browser/ADSBrowserController.h"
#include "Browser/ADSBrowserControllerPrivate.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSParameterNames.h"
#include "Utility/ADSPrivateUtilities.h"
#include "ads/support/FullScreenFixture.h"
#include "ads/network/RecordedRequests.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Toolbar.h"
#include "platform/UserDefaults.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>

namespace {

class ADSBrowserControllerTest : public FullScreenFixture {
protected:
    void TearDown() override
    {
        platform::Application::shared().setStatusBarOrientation(1);
        platform::RunLoop::main().runPending();
    }
    static int64_t count(const char* name)
    {
        const platform::Value* v = ADSStatistics::sharedStatistics().statistics().numberForKey(name);
        return v ? v->asInt64() : 0;
    }
    static platform::Url url(const std::string& path) { return *platform::Url::fromString(server->url(path)); }
    // The toolbar as the user sees it: each shown item by its label, "(off)" when disabled.
    static std::string bar(const ADSBrowserController& browser)
    {
        std::string out;
        for (platform::BarButtonItem* item : browser.toolbar()->items()) {
            if (item->isFlexibleSpace())
                continue;
            out += (out.empty() ? "" : " ") + item->accessibilityLabel() + (item->isEnabled() ? "" : "(off)");
        }
        return out;
    }
    // The page at `path` is in place (its own script says so) and its load has ended.
    static bool settled(platform::WebView& web, const std::string& path)
    {
        if (web.isLoading())
            return false;
        auto where = std::make_shared<std::optional<std::string>>(); // the answer may come after the test
        web.stringByEvaluatingJavaScriptFromString("location.href + ' ' + document.readyState",
            [where](const std::string& r) { *where = r; });
        return pumpUntil([&] { return where->has_value(); }) && **where == server->url(path) + " complete" && !web.isLoading();
    }
};

TEST_F(ADSBrowserControllerTest, TheToolbarFollowsThePageAndOnlyTheUsersMovesCount)
{
    auto browser = std::make_shared<ADSBrowserController>();
    browser->load(url("/landing/browser?ad=t"), url("/ads/banner?ad=t"));
    browser->presentFromViewController(&root);
    platform::WebView& web = *browser->webView();
    EXPECT_EQ(bar(*browser), "Back(off) Forward(off) Spinner View in Safari(off) Done") << "while loading";
    ASSERT_TRUE(pumpUntil([&] { return settled(web, "/landing/browser?ad=t"); }, 30));
    EXPECT_EQ(bar(*browser), "Back(off) Forward(off) Reload View in Safari Done") << "after the load";
    std::vector<RecordedRequest> landing = recordedRequests(*server, "/landing/browser?ad=t");
    ASSERT_EQ(landing.size(), 1u);
    EXPECT_EQ(landing[0].header("Referer"), server->url("/ads/banner?ad=t"));
    const ADSTiming* duration = ADSStatistics::sharedStatistics().timingNamed(kADSParameterPriorLandingPageDuration);
    ASSERT_NE(duration, nullptr);
    const double durationStart = duration->startSeconds();

    // A click on a link counts one plain navigation and brings Back.
    pumpFor(0.5); // the engine takes input once the page's first frame is on screen
    std::optional<bool> clicked;
    web.simulateClickOnFirstLink([&](bool had) { clicked = had; });
    ASSERT_TRUE(pumpUntil([&] { return clicked.has_value(); }));
    ASSERT_TRUE(*clicked);
    ASSERT_TRUE(pumpUntil([&] { return settled(web, "/landing/browser/more?ad=t"); }, 30));
    EXPECT_EQ(count(kADSParameterPriorLandingPageNavCount), 1);
    EXPECT_EQ(bar(*browser), "Back Forward(off) Reload View in Safari Done");
    EXPECT_EQ(ADSStatistics::sharedStatistics().timingNamed(kADSParameterPriorLandingPageDuration)->startSeconds(), durationStart)
        << "a second page does not restart the landing-page duration";

    ASSERT_TRUE(browser->vars().backButton_->simulateTap());
    EXPECT_TRUE(web.isLoading()) << "loading from the moment Back is pressed";
    ASSERT_TRUE(pumpUntil([&] { return settled(web, "/landing/browser?ad=t"); }, 30));
    EXPECT_EQ(bar(*browser), "Back(off) Forward Reload View in Safari Done");

    // Script, history and reloads count nothing; links and forms count by scheme.
    web.stringByEvaluatingJavaScriptFromString("location.href = '/landing/browser/more?ad=s'");
    ASSERT_TRUE(pumpUntil([&] { return settled(web, "/landing/browser/more?ad=s"); }, 30));
    platform::WebViewDelegate& delegate = *web.delegate();
    auto ask = [&](const std::string& u, platform::NavigationType type) {
        platform::UrlRequest request;
        request.url = u;
        return delegate.shouldStartLoadWithRequest(web, request, type);
    };
    EXPECT_TRUE(ask("https://127.0.0.1:1/secure", platform::NavigationType::LinkClicked));
    EXPECT_TRUE(ask("https://127.0.0.1:1/form", platform::NavigationType::FormSubmitted));
    EXPECT_TRUE(ask("http://127.0.0.1:1/form", platform::NavigationType::FormSubmitted));
    for (auto type : { platform::NavigationType::BackForward, platform::NavigationType::Reload,
             platform::NavigationType::FormResubmitted, platform::NavigationType::Other })
        EXPECT_TRUE(ask("https://127.0.0.1:1/other", type));
    EXPECT_EQ(count(kADSParameterPriorLandingPageNavCount), 2);
    EXPECT_EQ(count(kADSParameterPriorLandingPageSSLNavCount), 2);

    // "View in Safari" leaves with the page shown; "Done" brings the game back.
    const size_t opened = platform::Application::shared().openedURLs().size();
    ASSERT_TRUE(browser->vars().safariButton_->simulateTap());
    platform::RunLoop::main().runPending();
    ASSERT_EQ(platform::Application::shared().openedURLs().size(), opened + 1);
    EXPECT_EQ(platform::Application::shared().openedURLs().back(), server->url("/landing/browser/more?ad=s"));
    EXPECT_EQ(count(kADSParameterPriorClickBreakOut), 1);
    std::weak_ptr<ADSBrowserController> gone = browser;
    browser.reset();
    ASSERT_TRUE(gone.lock()->vars().doneButton_->simulateTap());
    EXPECT_EQ(root.modalViewController(), nullptr);
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(gone.expired());
}

TEST_F(ADSBrowserControllerTest, APhoneInLandscapeGetsTheLowToolbarAndEveryItemIsReadAloud)
{
    for (int orientation : { 1, 3 }) {
        platform::Application::shared().setStatusBarOrientation(orientation);
        ADSBrowserController browser;
        browser.view().setFrame(orientation == 1 ? platform::Rect { 0, 0, 320, 480 } : platform::Rect { 0, 0, 480, 320 });
        browser.viewWillAppear(false);
        const float height = orientation == 1 ? 44 : 30;
        const platform::Rect view = browser.view().bounds();
        EXPECT_EQ(browser.toolbar()->frame(), (platform::Rect { 0, view.height - height, view.width, height }));
        EXPECT_EQ(browser.webView()->frame(), (platform::Rect { 0, 0, view.width, view.height - height }));
        std::vector<std::string> read;
        for (const auto& e : browser.toolbar()->accessibleElements())
            read.push_back(e.name);
        EXPECT_EQ(read, (std::vector<std::string> { "Back", "Forward", "Reload", "View in Safari", "Done" }));
        if (orientation == 1) {
            // Turned afterwards, the bar stays on the bottom edge and shrinks with the screen.
            browser.view().setFrame({ 0, 0, 480, 320 });
            platform::Rect bar = browser.toolbar()->frame();
            EXPECT_FLOAT_EQ(bar.y + bar.height, 320);
            EXPECT_NEAR(bar.height, 44 * 320.0f / 480, 0.01);
            EXPECT_FLOAT_EQ(browser.webView()->frame().height, bar.y);
        }
    }
}

TEST_F(ADSBrowserControllerTest, DismissedWhileLoadingThePageStopsAndEverythingGoes)
{
    const size_t privates = ADSPrivateUtilities::count();
    std::weak_ptr<ADSBrowserController> gone;
    platform::WeakWebView page;
    {
        auto browser = std::make_shared<ADSBrowserController>();
        browser->load(url("/stall?bytes=64"));
        browser->presentFromViewController(&root);
        gone = browser;
        page = platform::WeakWebView(browser->webView());
    }
    ASSERT_TRUE(pumpUntil([&] { return !recordedRequests(*server, "/stall").empty(); }));
    EXPECT_TRUE(page.get()->isLoading());
    gone.lock()->relinquishScreen();
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(page.get(), nullptr);
    EXPECT_EQ(ADSPrivateUtilities::count(), privates);
}

}
