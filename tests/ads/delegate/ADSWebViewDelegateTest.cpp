// The bridge's navigation dispatch: every catalogue message reaches its
// handler and no message URL ever loads; ordinary URLs load, open elsewhere or
// are refused by scheme. The page-facing half runs in a real web view.
#include "Delegate/ADSWebViewDelegate.h"
#include "Delegate/ADSDelegateManager.h"
#include "View/ADSBannerViewDelegate.h"
#include "Notification/ADSNotificationCenter.h"
#include "Signals/ADSSignals.h"
#include "Utility/ADSNetworkUtilities.h"
#include "ViewController/ADSViewController.h"
#include "ads/network/LocalServerTest.h"
#include "ads/network/RecordedRequests.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/SystemSound.h"
#include "platform/ui/WebView.h"
#include <gtest/gtest.h>

namespace {

using platform::NavigationType;

struct Leaving : ADSBannerViewDelegate {
    std::vector<std::string>* log = nullptr;
    void adViewWillLeaveApplication(ADSBannerView&) override { log->push_back("leave"); }
};

ADSBannerView& someBanner()
{
    static int storage;
    return *reinterpret_cast<ADSBannerView*>(&storage);
}

struct FullScreen : ADSViewController {
    int relinquished = 0;
    void relinquishScreen() override { ++relinquished; }
};

class ADSWebViewDelegateTest : public LocalServerTest {
protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
        platform::NotificationCenter::defaultCenter().addObserver(this, ADSWebViewDelegateDidReceiveWebAction, &view,
            [this](const platform::Notification& n) {
                actions.push_back(n.userInfo.get("a").asString() + " " + n.userInfo.get("u").asString());
            });
        ADSNotificationCenter::defaultCenter().addObserver(this, "", &view,
            [this](const platform::Notification& n) { forwarded.push_back(n.name); });
        opened = platform::Application::shared().openedURLs().size();
        leaving.log = &actions;
        manager->setBannerDelegate(&leaving);
        manager->setAdView(&someBanner());
        delegate.opener().setDelegateManager(manager);
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        ADSNotificationCenter::defaultCenter().removeObserver(this);
        platform::Console::setKeepingLines(false);
    }
    bool navigate(const std::string& url, NavigationType type = NavigationType::LinkClicked,
        const std::string& agent = "")
    {
        platform::UrlRequest request;
        request.url = url;
        if (!agent.empty())
            request.setHeader("User-Agent", agent);
        return delegate.shouldStartLoadWithRequest(view, request, type);
    }
    std::vector<std::string> newlyOpened() const
    {
        const auto& all = platform::Application::shared().openedURLs();
        return std::vector<std::string>(all.begin() + long(opened), all.end());
    }

    platform::WebView view;
    ADSWebViewDelegate delegate;
    Leaving leaving;
    std::shared_ptr<ADSDelegateManager> manager = ADSDelegateManager::create();
    std::vector<std::string> actions;
    std::vector<std::string> forwarded;
    size_t opened = 0;
};

TEST_F(ADSWebViewDelegateTest, EveryMessageIsRefusedAndReachesItsHandler)
{
    FullScreen controller;
    delegate.setViewController(&controller);
    const uint32_t touches = ADSSignals::shared().touchCount();
    platform::SystemSound::clearHistory();

    EXPECT_FALSE(navigate("amsg://x/log?string=page%20says%20hi"));
    EXPECT_FALSE(navigate("adnet://log?string=second"));
    EXPECT_FALSE(navigate("amsg://x/touch?tx=5&ty=6&td=70"));
    EXPECT_FALSE(navigate("amsg://x/vibrate"));
    EXPECT_FALSE(navigate("amsg://x/close"));
    EXPECT_FALSE(navigate("adnet://closecanvas"));
    EXPECT_FALSE(navigate("amsg://x/open?a=app&u=tel%3A5551234"));
    EXPECT_FALSE(navigate("amsg://x/evalInOpener?js=1"));
    EXPECT_FALSE(navigate("amsg://x/loadAdURL?url=http%3A%2F%2Fa%2Fb&type=adnet"));
    EXPECT_FALSE(navigate("amsg://x/settings?supportedorientations=portrait"));
    EXPECT_FALSE(navigate("amsg://x/unableToServe"));
    EXPECT_FALSE(navigate("amsg://x/click?u=" + ADSNetworkUtilities::encodeURL(server->url("/content/clicked?ai=t1"))));
    EXPECT_FALSE(navigate("amsg://x/httpTrack?u=" + ADSNetworkUtilities::encodeURL(server->url("/content/tracked?ai=t2"))));

    EXPECT_EQ(platform::Console::takeLines(), (std::vector<std::string> { "page says hi", "second" }));
    EXPECT_EQ(ADSSignals::shared().touchCount(), touches + 1);
    EXPECT_EQ(platform::SystemSound::history(), (std::vector<unsigned> { 4095 })) << "the vibration";
    EXPECT_EQ(controller.relinquished, 2);
    EXPECT_TRUE(forwarded.empty()) << "forwarded messages wait for the next turn";
    ASSERT_EQ(actions.size(), 14u) << "13 messages, and leaving for the telephone";
    EXPECT_EQ(actions[0], "log amsg://x/log?string=page%20says%20hi");
    EXPECT_EQ(actions[5], "close adnet://closecanvas");
    EXPECT_EQ(actions[6].rfind("open ", 0), 0u);

    platform::RunLoop::main().runPending();
    EXPECT_EQ(forwarded, (std::vector<std::string> { "loadAdURL", "settings", "unableToServe" }))
        << "evalInOpener without an opening web view goes nowhere";
    EXPECT_EQ(newlyOpened(), (std::vector<std::string> { "tel:5551234" }));

    // The click ping carries a click signal; the plain tracking ping does
    // not; and the second ping did not cut the first one short.
    ASSERT_TRUE(pumpUntil([&] {
        return recordedRequests(*server, "/content/clicked").size() == 1 && recordedRequests(*server, "/content/tracked").size() == 1;
    }));
    const std::string clicked = recordedRequests(*server, "/content/clicked")[0].path;
    EXPECT_EQ(clicked.rfind("/content/clicked?ai=t1&cs", 0), 0u) << clicked;
    EXPECT_EQ(recordedRequests(*server, "/content/tracked")[0].path, "/content/tracked?ai=t2");
}

TEST_F(ADSWebViewDelegateTest, OrdinaryURLsGoByScheme)
{
    EXPECT_TRUE(navigate("http://127.0.0.1/page", NavigationType::LinkClicked, "Agent/1.0"));
    EXPECT_EQ(ADSNetworkUtilities::userAgentString(), "Agent/1.0") << "the library's downloads send the engine's agent";
    EXPECT_TRUE(navigate("https://127.0.0.1/", NavigationType::Other));
    EXPECT_TRUE(navigate("about:blank"));
    EXPECT_FALSE(navigate("file:///etc/passwd"));
    EXPECT_FALSE(navigate("FILE:///etc/passwd"));
    EXPECT_FALSE(navigate("AMSG://x/click?u=y")) << "not a message URL: handed to other applications";
    EXPECT_FALSE(navigate("tel:5551234"));
    EXPECT_FALSE(navigate("mailto:ads@example.com?subject=Hi"));

    // The page's own load of its base URL is not an action; every other
    // ordinary navigation is; other schemes leave the application when they may.
    EXPECT_EQ(actions, (std::vector<std::string> { " http://127.0.0.1/page", " AMSG://x/click?u=y",
                           " tel:5551234", "leave", " mailto:ads@example.com?subject=Hi" }));
    platform::RunLoop::main().runPending();
    EXPECT_EQ(newlyOpened(), (std::vector<std::string> { "tel:5551234" }));
    EXPECT_EQ(platform::Console::takeLines(),
        (std::vector<std::string> { "<Ads> Refused to leave the application for a \"amsg\" URL",
            "<Ads> No UIViewController supplied to the ad.  Cannot continue." }))
        << "the composer needs a controller to present from";
}

TEST_F(ADSWebViewDelegateTest, AMessageURLNamingNoMessageIsRefusedWithOneConsoleLine)
{
    for (const char* url : { "adnet://unknownhost?x=1", "amsg://host", "amsg://host/" }) {
        EXPECT_FALSE(navigate(url)) << url;
        std::vector<std::string> lines = platform::Console::takeLines();
        ASSERT_EQ(lines.size(), 1u) << url;
        EXPECT_EQ(lines[0], std::string("<Ads> Refused a message URL that names no message: ") + url);
    }
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(actions.empty());
    EXPECT_TRUE(forwarded.empty());
    EXPECT_TRUE(newlyOpened().empty());
}

std::string evaluate(platform::WebView& view, const std::string& script)
{
    std::optional<std::string> result;
    view.stringByEvaluatingJavaScriptFromString(script, [&](const std::string& r) { result = r; });
    EXPECT_TRUE(pumpUntil([&] { return result.has_value(); }));
    return result.value_or("<no answer>");
}

constexpr const char* kReceivingPage = R"(<html><head><script>
window.got = [];
function ADS_ReceiveMessage(name, info) { got.push([name, info]); }
window.onorientationchange = function () { window.turned = (window.turned || 0) + 1; };
</script></head><body>ad</body></html>)";

TEST_F(ADSWebViewDelegateTest, PagesHearOrientationOpenableURLsAndTheirOpenersAnswers)
{
    platform::Application::shared().setStatusBarOrientation(platform::OrientationLandscapeLeft);
    ADSWebViewDelegate bridge;
    platform::WebView page, opener;
    page.setDelegate(&bridge);
    opener.setDelegate(&bridge);
    opener.loadHTMLString("<html><head><script>window.secret = 42;</script></head></html>", server->url("/"));
    page.loadHTMLString(kReceivingPage, server->url("/"));
    ASSERT_TRUE(pumpUntil([&] { return !page.isLoading() && !opener.isLoading() && evaluate(page, "typeof window.turned") == "number"; }, 30));
    platform::Application::shared().setStatusBarOrientation(platform::OrientationPortrait);
    EXPECT_EQ(evaluate(page, "window.orientation + ':' + window.turned"), "-90:1");

    bridge.setOpeningWebView(&opener);
    evaluate(page, "location.href = 'amsg://x/canOpenURLs?urls=http%3A%2F%2Fexample.com%2F,zzz-nothing%3A1'");
    ASSERT_TRUE(pumpUntil([&] { return evaluate(page, "got.length") == "1"; }));
    evaluate(page, "location.href = 'amsg://x/evalInOpener?js=window.secret*2'");
    ASSERT_TRUE(pumpUntil([&] { return evaluate(page, "got.length") == "2"; }));
    EXPECT_EQ(evaluate(page, "JSON.stringify(got)"),
        R"([["openableURLs",{"http://example.com/":true,"zzz-nothing:1":false}],)"
        R"(["evalJavaScriptInOpenerResult",{"result":"84"}]])");
    EXPECT_EQ(evaluate(page, "document.body.textContent"), "ad") << "message URLs never replaced the page";
    page.setDelegate(nullptr);
    opener.setDelegate(nullptr);
}

}
