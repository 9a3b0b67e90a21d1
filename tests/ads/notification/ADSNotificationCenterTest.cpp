// Forwarded script messages: delivered on a later turn, matched by name and
// sender; and messages carried into pages intact.
#include "Notification/ADSNotificationCenter.h"
#include "ads/network/LocalServer.h"
#include "platform/RunLoop.h"
#include "platform/ui/WebView.h"
#include <gtest/gtest.h>

namespace {

TEST(ADSNotificationCenter, DelayedPostsReachObserversOfThatSenderOnALaterTurnOnly)
{
    auto& center = ADSNotificationCenter::defaultCenter();
    int webViewA = 0, webViewB = 0, observer = 0, platformSeen = 0;
    std::vector<platform::Dictionary> seen;
    center.addObserver(&observer, "loadAdURL", &webViewA, [&](const platform::Notification& n) { seen.push_back(n.userInfo); });
    platform::NotificationCenter::defaultCenter().addObserver(&observer, "loadAdURL", nullptr,
        [&](const platform::Notification&) { ++platformSeen; });

    center.postNotificationFromURL(*platform::Url::fromString("amsg://x/loadAdURL?url=http%3A%2F%2Fa%2Fb&type=adnet"), &webViewA, 0);
    center.postNotificationFromURL(*platform::Url::fromString("amsg://x/loadAdURL?url=other"), &webViewB, 0);
    center.postNotificationFromURL(*platform::Url::fromString("adnet://nothing"), &webViewA, 0);
    EXPECT_TRUE(seen.empty()) << "never inside the caller's turn";
    platform::RunLoop::main().runPending();
    EXPECT_EQ(seen, (std::vector<platform::Dictionary> { { { "url", "http://a/b" }, { "type", "adnet" } } }));
    EXPECT_EQ(platformSeen, 0) << "script messages never reach the application's centre";
    platform::NotificationCenter::defaultCenter().removeObserver(&observer);
    center.removeObserver(&observer);
}

TEST(ADSNotificationCenter, PagesReceiveTheNameAndUserInformationIntact)
{
    platform::WebView page;
    page.loadHTMLString("<html><head><script>window.got = [];"
                        "function ADS_ReceiveMessage(n, u) { got.push(arguments.length == 1 ? [n] : [n, u]); }"
                        "</script></head></html>",
        "http://127.0.0.1/");
    auto evaluate = [&](const std::string& script) {
        std::optional<std::string> result;
        page.stringByEvaluatingJavaScriptFromString(script, [&](const std::string& r) { result = r; });
        EXPECT_TRUE(pumpUntil([&] { return result.has_value(); }, 30));
        return result.value_or("<no answer>");
    };
    ASSERT_TRUE(pumpUntil([&] { return evaluate("typeof ADS_ReceiveMessage") == "function"; }, 30));

    const std::string awkward = "it's </script> \"quoted\" \u2028 \xC3\xA9";
    auto& center = ADSNotificationCenter::defaultCenter();
    center.postJSNotification("onhide", std::nullopt, page);
    center.postJSNotification("evalJavaScriptInOpenerResult", platform::Dictionary { { "result", awkward } }, page);
    ASSERT_TRUE(pumpUntil([&] { return evaluate("got.length") == "2"; }));
    EXPECT_EQ(evaluate("got[0].length + ':' + got[0][0]"), "1:onhide");
    EXPECT_EQ(evaluate("got[1][0] + ':' + got[1][1].result"), "evalJavaScriptInOpenerResult:" + awkward);
}

}
