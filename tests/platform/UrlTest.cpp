#include "platform/Url.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Url, ParsesIntoParts)
{
    auto u = Url::fromString("HTTP://user:pw@Example.com:8080/a/b%20c?x=1&y=2#frag");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->scheme(), "http");
    EXPECT_EQ(u->user(), "user:pw");
    EXPECT_EQ(u->host(), "Example.com");
    EXPECT_EQ(u->port(), 8080);
    EXPECT_EQ(u->path(), "/a/b%20c");
    EXPECT_EQ(u->query(), "x=1&y=2");
    EXPECT_TRUE(u->hasQuery());
    EXPECT_EQ(u->fragment(), "frag");
    EXPECT_EQ(u->absoluteString(), "HTTP://user:pw@Example.com:8080/a/b%20c?x=1&y=2#frag");

    u = Url::fromString("https://example.com");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->port(), -1);
    EXPECT_EQ(u->path(), "");
    EXPECT_FALSE(u->hasQuery());
    u = Url::fromString("https://example.com/?");
    ASSERT_TRUE(u);
    EXPECT_TRUE(u->hasQuery());
    EXPECT_EQ(u->query(), "");
}

TEST(Url, SchemesWithoutAuthority)
{
    auto mail = Url::fromString("mailto:someone@example.com?subject=Hi");
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->scheme(), "mailto");
    EXPECT_EQ(mail->host(), "");
    EXPECT_EQ(mail->path(), "someone@example.com");
    auto bridge = Url::fromString("amsg://notify?name=x");
    ASSERT_TRUE(bridge);
    EXPECT_EQ(bridge->host(), "notify");
    auto file = Url::fromString("file:///tmp/a.html");
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->isFileUrl());
    EXPECT_EQ(file->path(), "/tmp/a.html");
}

TEST(Url, Ipv6Hosts)
{
    auto u = Url::fromString("http://[::1]:80/x");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->host(), "::1");
    EXPECT_EQ(u->port(), 80);
    EXPECT_TRUE(Url::fromString("http://[2001:db8::7]/"));
    EXPECT_TRUE(Url::fromString("http://[::ffff:192.0.2.1]/"));
    EXPECT_TRUE(Url::fromString("http://[1:2:3:4:5:6:7:8]/"));
    EXPECT_FALSE(Url::fromString("http://[1:2:3:4:5:6:7:8:9]/"));
    EXPECT_FALSE(Url::fromString("http://[::1/"));
    EXPECT_FALSE(Url::fromString("http://[12345::]/"));
    EXPECT_FALSE(Url::fromString("http://[1::2::3]/"));
    EXPECT_FALSE(Url::fromString("http://[::1]x/"));
    EXPECT_FALSE(Url::fromString("http://::1/"));
}

TEST(Url, RefusesTextThatIsNotAUrl)
{
    for (const char* bad : { "", "example.com/path", "/just/a/path", "://x", "1http://x", "ht tp://x", "http://exa mple.com/",
             "http://example.com/a b", " http://example.com", "http://example.com/\n", "http://example.com/\x7f",
             "http://example.com:65536/", "http://example.com:-1/", "http://example.com:8o/", "http://example.com:123456/",
             "http://example.com/%zz", "http://example.com/%4", "http://example.com/a#b#c", "http://example.com/<x>",
             "http://example.com/\"q\"", "http://example.com/{x}", "http://exa[mple.com/",
             "http://example.com/caf\xC3\xA9" })
        EXPECT_FALSE(Url::fromString(bad)) << bad;
    EXPECT_TRUE(Url::fromString("http://example.com:65535/"));
    EXPECT_TRUE(Url::fromString("http://example.com:/"));
    EXPECT_EQ(Url::fromString("http://example.com:/")->port(), -1);
    EXPECT_TRUE(Url::fromString("http://example.com/caf%C3%A9"));
}

TEST(Url, ResolvesAgainstABase)
{
    auto base = Url::fromString("http://a/b/c/d;p?q");
    ASSERT_TRUE(base);
    const std::pair<const char*, const char*> cases[] = {
        { "g", "http://a/b/c/g" }, { "./g", "http://a/b/c/g" }, { "g/", "http://a/b/c/g/" }, { "/g", "http://a/g" },
        { "//g", "http://g" }, { "?y", "http://a/b/c/d;p?y" }, { "g?y", "http://a/b/c/g?y" }, { "#s", "http://a/b/c/d;p?q#s" },
        { "", "http://a/b/c/d;p?q" }, { ".", "http://a/b/c/" }, { "./", "http://a/b/c/" }, { "..", "http://a/b/" },
        { "../", "http://a/b/" }, { "../g", "http://a/b/g" }, { "../..", "http://a/" }, { "../../g", "http://a/g" },
        { "../../../g", "http://a/g" }, { "/./g", "http://a/g" }, { "g/../h", "http://a/b/c/h" }, { "g;x=1/../y", "http://a/b/c/y" },
        { "https://other/x", "https://other/x" },
    };
    for (const auto& [rel, want] : cases) {
        auto r = Url::fromString(rel, *base);
        ASSERT_TRUE(r) << rel;
        EXPECT_EQ(r->absoluteString(), want) << rel;
    }
    EXPECT_FALSE(Url::fromString("a b", *base));
    auto hostOnly = Url::fromString("http://host");
    EXPECT_EQ(Url::fromString("x", *hostOnly)->absoluteString(), "http://host/x");
}

TEST(Url, PercentEscapingIsUtf8)
{
    EXPECT_EQ(Url::percentEscape("a b&c=d/é~"), "a%20b%26c%3Dd%2F%C3%A9~");
    EXPECT_EQ(Url::percentEscape("a b/c", "/"), "a%20b/c");
    EXPECT_EQ(Url::percentUnescape("a%20b%2fc%C3%A9+"), std::optional<std::string>("a b/cé+"));
    EXPECT_FALSE(Url::percentUnescape("%"));
    EXPECT_FALSE(Url::percentUnescape("abc%4"));
    EXPECT_FALSE(Url::percentUnescape("%zz"));
    EXPECT_FALSE(Url::percentUnescape("%C3")); // half a character
    EXPECT_FALSE(Url::percentUnescape("%FF%FE"));
    for (std::string s : { std::string("plain"), std::string("☃ snow & ice / 100%"), std::string("\x01\x7f") })
        EXPECT_EQ(Url::percentUnescape(Url::percentEscape(s)), std::optional<std::string>(s));
}
