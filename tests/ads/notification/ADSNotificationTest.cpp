// Message URLs of both schemes, and the URLs that name no message.
#include "Notification/ADSNotification.h"
#include <gtest/gtest.h>

namespace {

std::optional<ADSNotification> parse(const std::string& text)
{
    std::optional<platform::Url> url = platform::Url::fromString(text);
    EXPECT_TRUE(url.has_value()) << text;
    return url ? ADSNotification::notificationFromURL(*url) : std::nullopt;
}

TEST(ADSNotification, AmsgNamesTheMessageByPathWithTheQueryAsParameters)
{
    auto m = parse("amsg://anyhost/loadAdURL?url=http%3A%2F%2F127.0.0.1%3A8080%2Fad%3Fx%3D1%26y%3D2&type=adnet&Type=late");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->name(), "loadAdURL");
    EXPECT_EQ(m->parameter("url"), "http://127.0.0.1:8080/ad?x=1&y=2");
    EXPECT_EQ(m->parameter("type"), "late") << "keys are lowercased; the later pair wins";
    EXPECT_EQ(m->parameters()->size(), 2u);
    EXPECT_EQ(parse("amsg:///vibrate")->name(), "vibrate");

    // Without a name, or written in capitals, there is no message.
    EXPECT_FALSE(parse("amsg://host"));
    EXPECT_FALSE(parse("amsg://host/"));
    EXPECT_FALSE(parse("amsg:click?u=x"));
    EXPECT_FALSE(parse("AMSG://host/click?u=x"));
    EXPECT_FALSE(ADSNotification::isNotificationURL(*platform::Url::fromString("AMSG://host/click")));
}

TEST(ADSNotification, AdnetHostsMapOntoMessagesAndOthersOntoNone)
{
    auto launch = parse("adnet://launch?url=http%3A%2F%2Fexample.com%2Fp&x=1");
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->name(), "open");
    EXPECT_EQ(*launch->parameters(), (platform::Dictionary { { "a", "browser" }, { "u", "http://example.com/p" } }));
    auto close = parse("adnet://closecanvas?ignored=1");
    ASSERT_TRUE(close);
    EXPECT_EQ(close->name(), "close");
    EXPECT_FALSE(close->parameters().has_value());
    EXPECT_EQ(parse("adnet://log?string=hello%20there")->parameter("string"), "hello there");
    EXPECT_FALSE(parse("adnet://unknown?url=x"));
    EXPECT_FALSE(parse("http://launch/?url=x"));
}

}
