// What the signals module's callers rely on: the request signal splits at
// "=" into one key and a non-empty value, and the click signal is one bare
// query component; both carry what was recorded, and reset forgets it.
#include "Signals/ADSSignals.h"
#include "encoding/ADSStringEncoding.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string decode(const std::string& token)
{
    auto bytes = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding().decode(token);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<undecodable>";
}

// Nothing in a query value or bare component may need escaping or split it.
void expectQuerySafe(const std::string& text)
{
    EXPECT_EQ(text.find_first_of("=&?#/+% "), std::string::npos) << text;
}

TEST(ADSSignals, SignalStringIsOneKeyValuePairCarryingWhatWasRecorded)
{
    ADSSignals s;
    s.initialize(4, "ads-sdk-i-v4.1.0");
    s.recordTouch(10, 20, 150);
    s.recordTouch(11, 21, 90);
    std::string out = "stale";
    s.produceSignalString(out);
    const size_t eq = out.find('=');
    ASSERT_NE(eq, std::string::npos) << out;
    EXPECT_EQ(out.substr(0, eq), "ms");
    const std::string value = out.substr(eq + 1);
    ASSERT_FALSE(value.empty()) << "an empty value gives the request no signal at all";
    expectQuerySafe(value);
    EXPECT_EQ(decode(value), "v:ads-sdk-i-v4.1.0|t:4|n:2");

    s.reset();
    s.produceSignalString(out);
    EXPECT_EQ(decode(out.substr(3)), "v:|t:0|n:0");
}

TEST(ADSSignals, ClickSignalIsABareComponentAndNeedsAnAiValue)
{
    ADSSignals s;
    s.recordTouch(3, 4, 50);
    std::string out = "untouched";
    EXPECT_EQ(s.produceClickSignal("", out), 0);
    EXPECT_EQ(out, "untouched");
    ASSERT_NE(s.produceClickSignal("AI", out), 0);
    ASSERT_EQ(out.rfind("cs", 0), 0u);
    expectQuerySafe(out);
    const std::string text = decode(out.substr(2));
    EXPECT_EQ(text.substr(0, text.rfind('|')), "n:1|x:3|y:4|d:50");
    s.reset();
    EXPECT_EQ(s.touchCount(), 0u);
}

// Two call sites, kept as separate frames.
__attribute__((noinline)) std::string clickFromHere(const ADSSignals& s)
{
    std::string out;
    s.produceClickSignal("AI", out);
    static volatile int calls = 0;
    calls = calls + 1;
    return out;
}

__attribute__((noinline)) std::string clickFromThere(const ADSSignals& s)
{
    std::string out;
    s.produceClickSignal("AI", out);
    static volatile int calls = 0;
    calls = calls + 2;
    return out;
}

TEST(ADSSignals, ClickSignalEndsWithADigestOfTheCallersStack)
{
    ADSSignals s;
    auto digest = [](const std::string& signal) {
        std::string text = decode(signal.substr(2));
        return text.substr(text.rfind('|') + 1);
    };
    std::vector<std::string> here, there;
    for (int i = 0; i < 2; ++i) {
        here.push_back(digest(clickFromHere(s)));
        there.push_back(digest(clickFromThere(s)));
    }
    ASSERT_EQ(here[0].size(), 10u) << here[0];
    EXPECT_EQ(here[0].substr(0, 2), "s:");
    EXPECT_EQ(here[0].find_first_not_of("0123456789abcdef", 2), std::string::npos) << here[0];
    EXPECT_EQ(here[1], here[0]) << "same path, same digest";
    EXPECT_EQ(there[1], there[0]);
    EXPECT_NE(there[0], here[0]) << "another path";
}

}
