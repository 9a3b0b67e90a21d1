// The signals module's entry points produce what their callers split and
// append: one key=value pair, and one bare query component.
#include "Signals/ADSSignals.h"
#include "encoding/ADSStringEncoding.h"
#include <gtest/gtest.h>

namespace {

std::string decode(const std::string& token)
{
    auto bytes = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding().decode(token);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<undecodable>";
}

TEST(ADSSignals, SignalStringIsOneKeyValuePairCarryingWhatWasRecorded)
{
    ADSSignals s;
    EXPECT_EQ(s.initialize(4, "ads-sdk-i-v4.1.0"), 1);
    s.recordTouch(10, 20, 150);
    s.recordTouch(11, 21, 90);
    std::string out = "stale";
    ASSERT_NE(s.produceSignalString(out), 0);
    ASSERT_EQ(out.rfind("ms=", 0), 0u) << out;
    EXPECT_EQ(out.find('=', 3), std::string::npos) << "exactly one '=': " << out;
    EXPECT_EQ(decode(out.substr(3)), "v:ads-sdk-i-v4.1.0|t:4|n:2");
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
    EXPECT_EQ(out.find_first_of("=&?#/+"), std::string::npos) << out;
    EXPECT_EQ(decode(out.substr(2)), "n:1|x:3|y:4|d:50");
    s.reset();
    EXPECT_EQ(s.touchCount(), 0u);
}

}
