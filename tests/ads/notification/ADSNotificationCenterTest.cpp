// Forwarded script messages: delivered on a later turn, matched by name and
// sender; and the script that carries messages into pages.
#include "Notification/ADSNotificationCenter.h"
#include "platform/RunLoop.h"
#include <gtest/gtest.h>

namespace {

TEST(ADSNotificationCenter, DelayedPostsReachObserversOfThatSenderOnALaterTurn)
{
    auto& center = ADSNotificationCenter::defaultCenter();
    int webViewA = 0, webViewB = 0, observer = 0;
    std::vector<std::pair<std::string, platform::Dictionary>> seen;
    center.addObserver(&observer, "loadAdURL", &webViewA,
        [&](const platform::Notification& n) { seen.emplace_back(n.name, n.userInfo); });

    center.postNotificationFromURL(*platform::Url::fromString("amsg://x/loadAdURL?url=http%3A%2F%2Fa%2Fb&type=adnet"), &webViewA, 0);
    center.postNotificationFromURL(*platform::Url::fromString("amsg://x/loadAdURL?url=other"), &webViewB, 0);
    center.postNotificationFromURL(*platform::Url::fromString("adnet://nothing"), &webViewA, 0);
    EXPECT_TRUE(seen.empty()) << "never inside the caller's turn";
    platform::RunLoop::main().runPending();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, "loadAdURL");
    EXPECT_EQ(seen[0].second, (platform::Dictionary { { "url", "http://a/b" }, { "type", "adnet" } }));

    // Script messages never reach observers of the platform's centre.
    int platformObserver = 0, platformSeen = 0;
    platform::NotificationCenter::defaultCenter().addObserver(&platformObserver, "loadAdURL", nullptr,
        [&](const platform::Notification&) { ++platformSeen; });
    center.postNotificationFromURL(*platform::Url::fromString("amsg://x/loadAdURL"), &webViewA);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(platformSeen, 0);
    platform::NotificationCenter::defaultCenter().removeObserver(&platformObserver);
    center.removeObserver(&observer);
}

TEST(ADSNotificationCenter, PageCallsCarryNameAndJSON)
{
    EXPECT_EQ(ADSNotificationCenter::jsNotificationScript("onhide", std::nullopt), "ADS_ReceiveMessage('onhide');");
    EXPECT_EQ(ADSNotificationCenter::jsNotificationScript("evalJavaScriptInOpenerResult",
                  platform::Dictionary { { "result", "a'b" } }),
        R"(ADS_ReceiveMessage('evalJavaScriptInOpenerResult', {"result":"a'b"});)");
}

}
