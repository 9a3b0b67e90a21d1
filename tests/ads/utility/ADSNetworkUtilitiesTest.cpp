#include "Utility/ADSNetworkUtilities.h"

#include <gtest/gtest.h>

using platform::Dictionary;
using platform::Url;
using platform::Value;

namespace {

Url url(const char* text)
{
    auto u = Url::fromString(text);
    EXPECT_TRUE(u) << text;
    return u.value_or(Url());
}

std::string appended(const char* base, const Dictionary& params)
{
    auto u = ADSNetworkUtilities::appendQueryParameters(params, url(base));
    EXPECT_TRUE(u);
    return u ? u->absoluteString() : std::string("<none>");
}

}

TEST(ADSNetworkUtilities, QueryStringPairs)
{
    EXPECT_EQ(ADSNetworkUtilities::dictionaryFromQueryString("A=1&b=2=3&c"), (Dictionary { { "a", Value("1") } }));
    EXPECT_TRUE(ADSNetworkUtilities::dictionaryFromQueryString("").empty());
    EXPECT_TRUE(ADSNetworkUtilities::dictionaryFromQueryString("&&;").empty());

    const Dictionary d = ADSNetworkUtilities::dictionaryFromQueryString(
        ";;x=1&&y=a+b;;z=%41%c3%a9&Bad=%ZZ&w=%E2%82;=empty&v=");
    EXPECT_EQ(d.get("x"), Value("1"));
    EXPECT_EQ(d.get("y"), Value("a+b")) << "plus signs stay";
    EXPECT_EQ(d.get("z"), Value("A\xC3\xA9")) << "escapes are UTF-8";
    EXPECT_FALSE(d.contains("bad")) << "a broken escape drops the pair";
    EXPECT_FALSE(d.contains("w")) << "escapes that are not UTF-8 drop the pair";
    EXPECT_EQ(d.get(""), Value("empty"));
    EXPECT_EQ(d.get("v"), Value(""));
    EXPECT_EQ(d.size(), 5u);

    // Keys are compared after lowering; the later pair wins.
    const Dictionary twice = ADSNetworkUtilities::dictionaryFromQueryString("Key=1&kEY=2&%4B%45%59=3");
    EXPECT_EQ(twice, (Dictionary { { "key", Value("3") } }));
}

TEST(ADSNetworkUtilities, ParameterValueIsRawFirstExactMatch)
{
    const Url u = url("http://ads.example.com/p?a=1&flag&b=%20x&a=2&A=3&c=#a=frag");
    EXPECT_EQ(ADSNetworkUtilities::parameterValueForKey("a", u), std::optional<std::string>("1"));
    EXPECT_EQ(ADSNetworkUtilities::parameterValueForKey("A", u), std::optional<std::string>("3"));
    EXPECT_EQ(ADSNetworkUtilities::parameterValueForKey("b", u), std::optional<std::string>("%20x"));
    EXPECT_EQ(ADSNetworkUtilities::parameterValueForKey("c", u), std::optional<std::string>(""));
    EXPECT_FALSE(ADSNetworkUtilities::parameterValueForKey("flag", u)) << "a pair without '=' never matches";
    EXPECT_FALSE(ADSNetworkUtilities::parameterValueForKey("d", u));
    EXPECT_FALSE(ADSNetworkUtilities::parameterValueForKey("a", url("http://ads.example.com/p")));
}

TEST(ADSNetworkUtilities, AppendingQueryParameters)
{
    const Dictionary ab { { "b", Value("2") }, { "a", Value(1) } };
    EXPECT_EQ(appended("http://h.example/p", ab), "http://h.example/p?b=2&a=1") << "the dictionary's own order";
    EXPECT_EQ(appended("http://h.example/p?x=1", ab), "http://h.example/p?x=1&b=2&a=1");
    // A bare "?" is already the separator.
    EXPECT_EQ(appended("http://h.example/p?", ab), "http://h.example/p?b=2&a=1");
    // The parameters go into the query, not the fragment.
    EXPECT_EQ(appended("http://h.example/p?x=1#top", ab), "http://h.example/p?x=1&b=2&a=1#top");
    EXPECT_EQ(appended("http://h.example/p", Dictionary {}), "http://h.example/p");

    EXPECT_EQ(appended("http://h.example/", Dictionary { { "k", Value("") }, { "m", Value("v") } }),
        "http://h.example/?k&m=v")
        << "a value that encodes to nothing leaves the key bare";
    EXPECT_EQ(appended("http://h.example/", Dictionary { { "q", Value("a b&c=d/\xC3\xA9") } }),
        "http://h.example/?q=a%20b%26c%3Dd%2F%C3%A9");
    EXPECT_EQ(appended("http://h.example/",
                  Dictionary { { "t", Value(true) }, { "n", Value(int64_t(-5)) }, { "d", Value(platform::Decimal { "0.10" }) } }),
        "http://h.example/?t=1&n=-5&d=0.10");

    auto one = ADSNetworkUtilities::appendQueryKey("unique", std::string("42"), url("http://h.example/c?x=y"));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->absoluteString(), "http://h.example/c?x=y&unique=42");
    auto bare = ADSNetworkUtilities::appendQueryKey("k", std::nullopt, url("http://h.example/c"));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->absoluteString(), "http://h.example/c?k");
    // What was appended reads back through the parameter lookup.
    EXPECT_EQ(ADSNetworkUtilities::parameterValueForKey("unique", *one), std::optional<std::string>("42"));
}

TEST(ADSNetworkUtilities, EncodeUrlEscapesReservedCharacters)
{
    EXPECT_EQ(ADSNetworkUtilities::encodeURL("!*'();:@&=+$,/?%#[]"),
        "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D");
    EXPECT_EQ(ADSNetworkUtilities::encodeURL("aZ09-._~"), "aZ09-._~");
    EXPECT_EQ(ADSNetworkUtilities::encodeURL(" \"<>\\^`{|}\x7f\n"), "%20%22%3C%3E%5C%5E%60%7B%7C%7D%7F%0A");
    EXPECT_EQ(ADSNetworkUtilities::encodeURL("\xC3\xA9"), "%C3%A9");
    EXPECT_EQ(ADSNetworkUtilities::encodeURL(""), "");
    // Escaped text parses back to the original.
    const std::string text = "k=v&x;y %2F \xE2\x82\xAC";
    EXPECT_EQ(Url::percentUnescape(ADSNetworkUtilities::encodeURL(text)), std::optional<std::string>(text));
}

TEST(ADSNetworkUtilities, UserAgentIsSetOnceAndKept)
{
    ADSNetworkUtilities::setUserAgentString("Agent/1.0");
    EXPECT_EQ(ADSNetworkUtilities::userAgentString(), "Agent/1.0");
    ADSNetworkUtilities::setUserAgentString("");
    EXPECT_EQ(ADSNetworkUtilities::userAgentString(), "Agent/1.0") << "the empty string is ignored";
    const std::string* before = &ADSNetworkUtilities::userAgentString();
    ADSNetworkUtilities::setUserAgentString("Agent/2.0 (Desktop)");
    EXPECT_EQ(ADSNetworkUtilities::userAgentString(), "Agent/2.0 (Desktop)");
    EXPECT_EQ(before, &ADSNetworkUtilities::userAgentString()) << "one process-wide value";
}
