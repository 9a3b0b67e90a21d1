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

    auto bare = parse("amsg:///vibrate");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->name(), "vibrate");
    ASSERT_TRUE(bare->parameters());
    EXPECT_TRUE(bare->parameters()->empty());

    // Without a name there is no message.
    EXPECT_FALSE(parse("amsg://host"));
    EXPECT_FALSE(parse("amsg://host/"));
    EXPECT_FALSE(parse("amsg:click?u=x"));
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

    auto log = parse("adnet://log?string=hello%20there");
    ASSERT_TRUE(log);
    EXPECT_EQ(log->name(), "log");
    EXPECT_EQ(log->parameter("string"), "hello there");

    EXPECT_FALSE(parse("adnet://unknown?url=x"));
    EXPECT_FALSE(parse("http://launch/?url=x"));
}

TEST(ADSNotification, SchemesCompareExactly)
{
    auto upper = platform::Url::fromString("AMSG://host/click?u=x");
    ASSERT_TRUE(upper);
    EXPECT_FALSE(ADSNotification::isNotificationURL(*upper));
    EXPECT_FALSE(ADSNotification::notificationFromURL(*upper));
    EXPECT_TRUE(ADSNotification::isAMSGNotificationURL(*platform::Url::fromString("amsg://h/x")));
    EXPECT_TRUE(ADSNotification::isAdNetNotificationURL(*platform::Url::fromString("adnet://log")));
    EXPECT_FALSE(ADSNotification::isAdNetNotificationURL(*platform::Url::fromString("amsg://log")));
}

TEST(ADSNotification, DescriptionShowsNameAndParameters)
{
    ADSNotification m("log", platform::Dictionary { { "string", "x" } });
    std::string text = m.description();
    EXPECT_EQ(text.rfind("ADSNotification<0x", 0), 0u) << text;
    EXPECT_NE(text.find("name:log parameters:"), std::string::npos) << text;
    EXPECT_NE(text.find("\"string\""), std::string::npos) << text;
}

}
