// How an ad's target opens: every action of the script message "open", the
// short wait for tracking pings before leaving, the schemes that may leave at
// all, and the composer made from a mailto URL.
#include "Opener/ADSOpener.h"
#include "Browser/ADSBrowserController.h"
#include "Delegate/ADSDelegateManager.h"
#include "Network/ADSClickTracker.h"
#include "Notification/ADSNotification.h"
#include "View/ADSBannerViewDelegate.h"
#include "WebApp/ADSWebAppViewController.h"
#include "ads/network/LocalServerTest.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/PlatformSession.h"
#include "platform/net/BackgroundTasks.h"
#include "platform/ui/Application.h"
#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
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
        window.setRootViewController(&root);
        window.makeKeyAndVisible();
        opener.setViewController(&root);
        opened = platform::Application::shared().openedURLs().size();
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
    }
    void TearDown() override
    {
        if (auto* shown = dynamic_cast<ADSViewController*>(root.modalViewController()))
            shown->relinquishScreen();
        platform::RunLoop::main().runPending();
        platform::BackgroundTasks::shared().setSupported(true);
        platform::Console::setKeepingLines(false);
    }
    std::vector<std::string> newlyOpened() const
    {
        const auto& all = platform::Application::shared().openedURLs();
        return std::vector<std::string>(all.begin() + long(opened), all.end());
    }
    static void advance(double s) { platform::PlatformSession::current()->virtualClock()->advance(s); }
    static ADSNotification open(platform::Dictionary parameters) { return ADSNotification("open", std::move(parameters)); }
    // The URL the page on top is loading or showing.
    std::string topPage()
    {
        platform::WebView* web = nullptr;
        if (auto* b = dynamic_cast<ADSBrowserController*>(root.modalViewController()))
            web = b->webView();
        else if (auto* w = dynamic_cast<ADSWebAppViewController*>(root.modalViewController()))
            web = w->webView();
        if (!web || !pumpUntil([&] { return web->request().has_value(); }))
            return "<nothing>";
        return web->request()->url;
    }
    void closeTop()
    {
        dynamic_cast<ADSViewController&>(*root.modalViewController()).relinquishScreen();
        platform::RunLoop::main().runPending();
    }

    platform::Window window;
    platform::ViewController root;
    Leaving leaving;
    std::shared_ptr<ADSDelegateManager> manager = ADSDelegateManager::create();
    ADSOpener opener;
    size_t opened = 0;
};

TEST_F(ADSOpenerTest, EveryActionGoesToItsTarget)
{
    // Browser and video: the in-app browser with the click URL (a click signal added).
    for (const char* action : { "browser", "video" }) {
        opener.openNotification(open({ { "a", action }, { "u", server->url("/content/v?ai=abc") }, { "o", "l" } }));
        auto* browser = dynamic_cast<ADSBrowserController*>(root.modalViewController());
        ASSERT_NE(browser, nullptr) << action;
        EXPECT_EQ(browser->supportedOrientations(), 3);
        EXPECT_EQ(topPage().rfind(server->url("/content/v?ai=abc&cs"), 0), 0u) << topPage();
        closeTop();
    }
    // A web app from its URL, or from markup alone.
    opener.openNotification(open({ { "a", "webapp" }, { "u", server->url("/content/w") }, { "o", "p" } }));
    ASSERT_NE(dynamic_cast<ADSWebAppViewController*>(root.modalViewController()), nullptr);
    EXPECT_EQ(topPage(), server->url("/content/w"));
    EXPECT_EQ(dynamic_cast<ADSViewController&>(*root.modalViewController()).supportedOrientations(), 2);
    closeTop();
    opener.openNotification(open({ { "a", "webapp" }, { "html", "<p>hi</p>" } }));
    auto* webApp = dynamic_cast<ADSWebAppViewController*>(root.modalViewController());
    ASSERT_NE(webApp, nullptr);
    EXPECT_EQ(webApp->supportedOrientations(), 1);
    auto textOf = [](platform::WebView& web) {
        // Shared with the answer, which may come after this test is over.
        auto text = std::make_shared<std::optional<std::string>>();
        web.stringByEvaluatingJavaScriptFromString("document.body.textContent", [text](const std::string& t) { *text = t; });
        pumpUntil([&] { return text->has_value(); });
        return text->value_or("<no answer>");
    };
    ASSERT_TRUE(pumpUntil([&] { return !webApp->webView()->isLoading() && textOf(*webApp->webView()) == "hi"; }, 20));
    closeTop();
    EXPECT_EQ(leaving.left, 0);

    // Nothing to open: ignored.
    opener.openNotification(open({ { "a", "browser" } }));
    opener.openNotification(open({ { "a", "webapp" }, { "u", "not a url" } }));
    EXPECT_EQ(root.modalViewController(), nullptr);

    // "call", "app" and anything else leave the application, on the next turn.
    opener.openNotification(open({ { "a", "call" }, { "u", "tel:5551234" } }));
    EXPECT_EQ(leaving.left, 1) << "the application hears it first";
    EXPECT_TRUE(newlyOpened().empty());
    platform::RunLoop::main().runPending();
    advance(1);
    opener.openNotification(open({ { "a", "app" }, { "u", "https://example.com/app" } }));
    advance(1);
    opener.openNotification(open({ { "a", "whatever" }, { "u", "mailto:a@example.com" } }));
    platform::RunLoop::main().runPending();
    EXPECT_EQ(newlyOpened(), (std::vector<std::string> { "tel:5551234", "https://example.com/app", "mailto:a@example.com" }));
    EXPECT_TRUE(platform::Console::takeLines().empty());

    // A page that asks again at once does not send the user off again.
    advance(0.9);
    opener.openNotification(open({ { "a", "app" }, { "u", "https://example.com/again" } }));
    platform::RunLoop::main().runPending();
    EXPECT_EQ(platform::Console::takeLines(),
        (std::vector<std::string> { "<Ads> Refused to leave the application again within a second" }));
    EXPECT_EQ(leaving.left, 3);
    EXPECT_EQ(newlyOpened().size(), 3u);
}

TEST_F(ADSOpenerTest, LeavingWaitsForRunningPingsAtMostThreeTimesWhoeverAsked)
{
    platform::BackgroundTasks::shared().setSupported(false);
    ADSClickTracker ping;
    ping.trackURL(platform::Url::fromString(server->url("/stall?bytes=1")));
    ASSERT_TRUE(ADSClickTracker::activeTrackings());

    opener.openApp(platform::Url::fromString("https://example.com/1"));
    advance(0.31);
    advance(0.31);
    EXPECT_EQ(leaving.left, 0) << "still waiting after two deferrals";
    advance(0.31);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(newlyOpened(), (std::vector<std::string> { "https://example.com/1" }))
        << "opened after the third deferral though the ping still runs";

    // A new open counts from 0 again, and stops waiting when the ping ends;
    // the opener that asked may be gone by then (the browser makes one for one call).
    advance(1);
    {
        ADSOpener once;
        once.setDelegateManager(manager);
        once.openApp(platform::Url::fromString("https://example.com/2"));
    }
    advance(0.31);
    EXPECT_EQ(leaving.left, 1);
    ping.reset();
    advance(0.31);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(leaving.left, 2);
    EXPECT_EQ(newlyOpened().size(), 2u);
}

TEST_F(ADSOpenerTest, OnlyTheWebMailTelephoneAndBookstoresMayLeave)
{
    for (const char* url : { "file:///etc/passwd", "javascript:alert(1)", "data:text/html,hello", "sms:5551234",
             "itms-apps://example.com/app/1", "x-unknown://thing" }) {
        std::optional<platform::Url> parsed = platform::Url::fromString(url);
        ASSERT_TRUE(parsed) << url;
        opener.openApp(parsed);
        std::vector<std::string> lines = platform::Console::takeLines();
        ASSERT_EQ(lines.size(), 1u) << url;
        EXPECT_EQ(lines[0], "<Ads> Refused to leave the application for a \"" + parsed->scheme() + "\" URL");
    }
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(newlyOpened().empty());
    EXPECT_EQ(leaving.left, 0);
    // The bookstores may leave too, but nothing on a desktop answers them:
    // the application is not told that the user is leaving, and it says why.
    for (const char* url : { "http://a.example/", "https://a.example/", "mailto:a@example.com", "tel:1", "itms-books://b",
             "kindle://home" })
        EXPECT_TRUE(ADSOpener::mayLeaveFor(*platform::Url::fromString(url))) << url;
    opener.openApp(platform::Url::fromString("kindle://home"));
    platform::RunLoop::main().runPending();
    EXPECT_EQ(platform::Console::takeLines(), (std::vector<std::string> { "<Ads> Nothing here opens a \"kindle\" URL" }));
    EXPECT_EQ(leaving.left, 0);
    EXPECT_TRUE(newlyOpened().empty());
}

TEST_F(ADSOpenerTest, TheComposerTakesItsFieldsFromTheMailtoURL)
{
    opener.openEmailComposer(*platform::Url::fromString("mailto:ads@example.com"));
    platform::MailComposeViewController* composer = opener.composer();
    ASSERT_NE(composer, nullptr);
    EXPECT_EQ(root.modalViewController(), composer);
    EXPECT_EQ(composer->toRecipients(), (std::vector<std::string> { "ads@example.com" }));
    EXPECT_TRUE(composer->ccRecipients().empty());
    EXPECT_TRUE(composer->bccRecipients().empty());
    EXPECT_EQ(composer->subject(), "");
    EXPECT_EQ(composer->messageBody(), "");

    opener.openEmailComposer(*platform::Url::fromString("mailto:other@example.com"));
    EXPECT_EQ(platform::Console::takeLines(),
        (std::vector<std::string> { "<Ads> A mail composer is open already; not opening another" }));
    composer->cancel();
    EXPECT_EQ(root.modalViewController(), nullptr);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(opener.composer(), nullptr);
    EXPECT_TRUE(newlyOpened().empty()) << "cancel sends nothing";

    // Field names in any case.
    opener.openEmailComposer(*platform::Url::fromString(
        "mailto:a@example.com?CC=c@example.com,d@example.com&bcc=e@example.com&Subject=Hello%20there&body=Line%201%0ALine%202"));
    composer = opener.composer();
    ASSERT_NE(composer, nullptr);
    EXPECT_EQ(composer->toRecipients(), (std::vector<std::string> { "a@example.com" }));
    EXPECT_EQ(composer->ccRecipients(), (std::vector<std::string> { "c@example.com", "d@example.com" }));
    EXPECT_EQ(composer->bccRecipients(), (std::vector<std::string> { "e@example.com" }));
    EXPECT_EQ(composer->subject(), "Hello there");
    EXPECT_EQ(composer->messageBody(), "Line 1\nLine 2");
    EXPECT_FALSE(composer->isBodyHTML());
    composer->send();
    EXPECT_EQ(root.modalViewController(), nullptr);
    ASSERT_EQ(newlyOpened().size(), 1u);
    EXPECT_EQ(newlyOpened()[0].rfind("mailto:a@example.com?cc=c@example.com,d@example.com&bcc=e@example.com&subject=Hello%20there", 0), 0u)
        << newlyOpened()[0];
    EXPECT_EQ(leaving.left, 0);
}

}
