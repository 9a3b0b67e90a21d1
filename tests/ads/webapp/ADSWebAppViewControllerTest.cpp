// The web app on screen: "onshow" exactly once whether the page loads before
// or after the controller appears, "onhide" when it goes, the spinner and
// close button, the landing-page timings, and a page still loading when the
// controller is dismissed stopped and let go with it.
#include "Request/ADSRequest.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSNetworkUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "Utility/ADSPrivateUtilities.h"
#include "WebApp/ADSWebAppViewController.h"
#include "WebApp/ADSWebAppViewControllerPrivate.h"
#include "WebApp/ADSWebAppWebViewDelegate.h"
#include "ads/support/FullScreenFixture.h"
#include "ads/network/RecordedRequests.h"
#include "platform/ui/Controls.h"
#include "platform/UserDefaults.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>

namespace {

// Counts what the page hears; on "onhide" it also tells the server, as a
// real ad page would.
constexpr const char* kPage = R"(<html><head><script>
window.shown = 0; window.info = null;
function ADS_ReceiveMessage(name, info) {
  if (name === 'onshow') { shown++; window.info = info; }
  if (name === 'onhide') { navigator.sendBeacon('/content/hidden'); }
}
</script></head><body>app</body></html>)";

class ADSWebAppViewControllerTest : public FullScreenFixture {
protected:
    platform::Url page() const
    {
        return *platform::Url::fromString(server->url("/content/app?ct=html&body=" + ADSNetworkUtilities::encodeURL(kPage)));
    }
    static std::string evaluate(platform::WebView& view, const std::string& script)
    {
        // Shared with the answer, which may come after this test is over.
        auto result = std::make_shared<std::optional<std::string>>();
        view.stringByEvaluatingJavaScriptFromString(script, [result](const std::string& r) { *result = r; });
        EXPECT_TRUE(pumpUntil([&] { return result->has_value(); }));
        return result->value_or("<no answer>");
    }
    static bool timingRuns(const char* name)
    {
        ADSTiming* t = ADSStatistics::sharedStatistics().timingNamed(name);
        return t && t->isActive();
    }
};

TEST_F(ADSWebAppViewControllerTest, OnShowComesOnceWhenThePageHasLoadedAndAppearedWhicheverIsLast)
{
    // Loaded first: the screen is built and the page finishes before the controller appears.
    auto early = std::make_shared<ADSWebAppViewController>();
    early->load(page());
    early->view();
    early->viewWillAppear(false);
    platform::WebView& earlyPage = *early->webView();
    ASSERT_TRUE(pumpUntil([&] { return !earlyPage.isLoading(); }, 30));
    EXPECT_EQ(evaluate(earlyPage, "shown"), "0");
    early->viewDidAppear(false);
    early->viewDidAppear(false);
    ASSERT_TRUE(pumpUntil([&] { return evaluate(earlyPage, "shown") == "1"; }));

    // Appeared first: presented at once, still loading. (Statistics afresh:
    // the landing-page timings are taken once per reporting period.)
    freshStatistics();
    auto late = std::make_shared<ADSWebAppViewController>();
    late->load(page());
    late->presentFromViewController(&root);
    platform::WebView& latePage = *late->webView();
    EXPECT_TRUE(latePage.isLoading());
    EXPECT_NE(late->view().findByName("webAppSpinner"), nullptr) << "a spinner while it loads";
    ASSERT_TRUE(pumpUntil([&] { return !latePage.isLoading() && evaluate(latePage, "shown") == "1"; }, 30));
    EXPECT_EQ(late->view().findByName("webAppSpinner"), nullptr) << "and none once it has loaded";
    EXPECT_EQ(evaluate(latePage, "info.version + ' ' + typeof info.device"), ADSRequest::sdkVersion() + " string");
    late->viewDidAppear(true); // the late call of a presentation without a root
    pumpFor(0.3);
    EXPECT_EQ(evaluate(earlyPage, "shown") + evaluate(latePage, "shown"), "11") << "never twice";
    EXPECT_FALSE(timingRuns(kADSParameterPriorLandingPageLoad));
    EXPECT_TRUE(timingRuns(kADSParameterPriorLandingPageDuration));

    // A second page in the web app keeps the first one's load time: the
    // landing-page load is neither started again nor left running.
    latePage.stringByEvaluatingJavaScriptFromString("window.marker = 1; location.reload();", nullptr);
    ASSERT_TRUE(pumpUntil([&] { return !latePage.isLoading() && evaluate(latePage, "typeof marker") == "undefined"; }, 30));
    EXPECT_FALSE(timingRuns(kADSParameterPriorLandingPageLoad));
    EXPECT_TRUE(timingRuns(kADSParameterPriorLandingPageDuration));

    // The close button in its corner gives the screen back; the page hears "onhide".
    platform::Button* close = late->closeButton();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->frame(), (platform::Rect { 4, 4, 25, 25 }));
    std::weak_ptr<ADSWebAppViewController> gone = late;
    late.reset();
    close->simulateTap();
    EXPECT_EQ(root.modalViewController(), nullptr);
    EXPECT_FALSE(timingRuns(kADSParameterPriorLandingPageDuration));
    ASSERT_TRUE(pumpUntil([&] { return !recordedRequests(*server, "/content/hidden").empty(); }));
    EXPECT_TRUE(gone.expired());
}

TEST_F(ADSWebAppViewControllerTest, DismissedWhileLoadingThePageStopsAndEverythingGoes)
{
    const size_t privates = ADSPrivateUtilities::count();
    std::weak_ptr<ADSWebAppViewController> gone;
    platform::WeakWebView page;
    {
        auto webApp = std::make_shared<ADSWebAppViewController>();
        webApp->load(*platform::Url::fromString(server->url("/stall?bytes=64")));
        webApp->presentFromViewController(&root);
        gone = webApp;
        page = platform::WeakWebView(webApp->webView());
    }
    ASSERT_TRUE(pumpUntil([&] { return !recordedRequests(*server, "/stall").empty(); }));
    ASSERT_NE(page.get(), nullptr);
    EXPECT_TRUE(page.get()->isLoading()) << "the server never finishes the page";
    gone.lock()->relinquishScreen();
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(gone.expired());
    ASSERT_NE(page.get(), nullptr) << "kept a moment for what it was sent on leaving";
    EXPECT_EQ(page.get()->delegate(), nullptr);
    EXPECT_EQ(page.get()->superview(), nullptr);
    EXPECT_TRUE(pumpUntil([&] { return page.get() == nullptr; }, 5)) << "then it goes";
    EXPECT_EQ(ADSPrivateUtilities::count(), privates);
}

}
