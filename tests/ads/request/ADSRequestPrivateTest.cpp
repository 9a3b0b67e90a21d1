// The request's parameter dictionary: what an empty request sends, what each
// piece of targeting adds, and what the counter and copies carry.
#include "Request/ADSRequestPrivate.h"
#include "Network/ADSNetworkChecker.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/PlatformSession.h"
#include "platform/RunLoop.h"
#include "platform/net/Device.h"
#include "platform/net/Reachability.h"
#include <array>
#include <gtest/gtest.h>

namespace {

class ADSRequestPrivateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ADSStatistics::releaseSharedStatistics();
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
    }
    void TearDown() override
    {
        platform::Device::current().overrideUniqueIdentifier(std::nullopt);
        platform::PlatformSession::current()->virtualClock()->setLocalOffsetSeconds(0);
        platform::Console::setKeepingLines(false);
    }
};

TEST_F(ADSRequestPrivateTest, EmptyRequestSendsDeviceParametersVersionCounterAndNetworkOnceKnown)
{
    ADSRequestPrivate request;
    platform::Dictionary device = ADSIdentifierUtilities::sharedInstance().parameters();
    platform::Dictionary p = request.parameters();
    EXPECT_EQ(p.get("js").asString(), "ads-sdk-i-v4.1.0");
    EXPECT_EQ(p.get("preqs"), platform::Value(0));
    for (const auto& [key, value] : device)
        EXPECT_TRUE(p.contains(key)) << "device key missing: " << key;
    for (const auto& [key, value] : p) {
        const auto& timings = ADSStatistics::allTimingNames();
        EXPECT_TRUE(device.contains(key) || key == "js" || key == "preqs" || key == "net"
            || std::find(timings.begin(), timings.end(), key) != timings.end())
            << "unexpected key " << key;
    }

    // The network type appears once a reachability report says what it is.
    ADSNetworkChecker::sharedChecker();
    platform::Reachability::postReport(platform::Reachability::kReachable | platform::Reachability::kIsWWAN);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(request.parameters().get("net").asString(), "ed");
    platform::Reachability::postReport(0);
    platform::RunLoop::main().runPending();
    EXPECT_FALSE(request.parameters().contains("net"));
}

TEST_F(ADSRequestPrivateTest, TargetingBecomesTheDocumentedKeys)
{
    platform::Device::current().overrideUniqueIdentifier("device-under-test");
    ADSRequestPrivate request;
    request.setGender(2);
    request.setBirthdayWithMonth(3, 7, 1980);
    request.addKeyword("cards");
    request.addKeyword("");
    request.addKeyword("cards");
    request.setAdditionalParameters(std::make_shared<const platform::Dictionary>(platform::Dictionary { { "color_bg", "000000" }, { "n", 3 } }));
    request.setLocationWithDescription("Helsinki, Finland");
    request.setTestDevices(std::make_shared<const std::vector<std::string>>(std::vector<std::string> { "another", "device-under-test" }));

    platform::Dictionary p = request.parameters();
    EXPECT_EQ(p.get("cust_gender").asString(), "f");
    EXPECT_EQ(p.get("cust_age").asString(), "19800307");
    EXPECT_EQ(p.get("kw"), platform::Value(platform::Array { "cards", "cards" })) << "empty dropped, duplicates kept";
    EXPECT_EQ(p.get("extras").asDictionary().get("n").asInt64(), 3) << "extras stay nested";
    EXPECT_EQ(p.get("uloc").asString().rfind("a+", 0), 0u) << p.get("uloc").asString();
    EXPECT_EQ(p.get("adtest").asString(), "on");
    EXPECT_FALSE(p.contains("testing"));

    request.setGender(7);
    request.setTestDevices(std::make_shared<const std::vector<std::string>>(std::vector<std::string> { "another" }));
    request.setTesting(true);
    p = request.parameters();
    EXPECT_FALSE(p.contains("cust_gender"));
    EXPECT_FALSE(p.contains("adtest"));
    EXPECT_EQ(p.get("testing").asString(), "1");
    request.parameters();
    std::vector<std::string> lines = platform::Console::takeLines();
    ASSERT_EQ(lines.size(), 2u) << "one deprecation line per build";
    EXPECT_EQ(lines[0], "<Ads> \"testing\" property has been deprecated.  Use \"testDevices\" instead.");
}

TEST_F(ADSRequestPrivateTest, BirthdayIsTheLocalCalendarDayWhateverTheZoneAndRollsOver)
{
    ADSRequestPrivate request;
    for (int offset : { -11 * 3600, 0, 13 * 3600 + 45 * 60 }) {
        platform::PlatformSession::current()->virtualClock()->setLocalOffsetSeconds(offset);
        const std::pair<std::array<int, 3>, const char*> cases[] = {
            { { 3, 7, 1980 }, "19800307" }, { { 13, 1, 1999 }, "20000101" },
            { { 2, 30, 2001 }, "20010302" }, { { 0, 0, 2000 }, "19991130" } };
        for (const auto& [mdy, text] : cases) {
            request.setBirthdayWithMonth(mdy[0], mdy[1], mdy[2]);
            EXPECT_EQ(request.birthdayString().value_or(""), text) << "offset " << offset;
        }
    }
}

// The banner loads a copy of the application's request: the copy has its own
// flags and counter but shares the object fields, so what the application
// adds to its keyword array later is sent with the next refresh.
TEST_F(ADSRequestPrivateTest, CopiesShareTheObjectFieldsButNotTheCounter)
{
    ADSStatistics::sharedStatistics().setAdRequestCount(41);
    auto request = ADSRequest::request();
    auto& original = dynamic_cast<ADSRequestPrivate&>(*request);
    original.setCounter(2);
    original.setInterstitialAd(true);
    original.addKeyword("x");
    original.setTestDevices(std::make_shared<const std::vector<std::string>>(std::vector<std::string> { "d" }));
    original.setAdditionalParameters(std::make_shared<const platform::Dictionary>(platform::Dictionary { { "k", "v" } }));
    original.setBirthdayWithMonth(3, 7, 1980);
    original.setLocationWithDescription("Helsinki, Finland");
    EXPECT_EQ(original.parameters().get("preqs").asInt64(), 2) << "over the statistics' count";

    std::unique_ptr<ADSRequestPrivate> copy = original.copy();
    EXPECT_EQ(copy->counter(), 0);
    EXPECT_TRUE(copy->isInterstitialAd());
    ASSERT_TRUE(copy->keywords() && copy->testDevices() && copy->additionalParameters() && copy->birthday()
        && copy->location());
    EXPECT_EQ(copy->keywords(), original.keywords());
    EXPECT_EQ(copy->testDevices(), original.testDevices());
    EXPECT_EQ(copy->additionalParameters(), original.additionalParameters());
    EXPECT_EQ(copy->birthday(), original.birthday());
    EXPECT_EQ(copy->location(), original.location());

    original.addKeyword("y");
    copy->addKeyword("z");
    EXPECT_EQ(copy->parameters().get("kw"), platform::Value(platform::Array { "x", "y", "z" }));
    EXPECT_EQ(original.parameters().get("kw"), copy->parameters().get("kw"));
    // Replacing a field is the request's own affair.
    original.setKeywords(nullptr);
    original.setGender(1);
    EXPECT_EQ(copy->keywords()->size(), 3u);
    EXPECT_EQ(copy->gender(), 0);
    EXPECT_NE(dynamic_cast<ADSRequestPrivate*>(ADSRequest::request().get()), nullptr);
}

TEST_F(ADSRequestPrivateTest, SignalsAndRequestTypesReadExactly)
{
    EXPECT_EQ(ADSRequestPrivate::signalsFromString("k=v=w"), (platform::Dictionary { { "k", "v" } }));
    EXPECT_TRUE(ADSRequestPrivate::signalsFromString("k=").empty());
    EXPECT_TRUE(ADSRequestPrivate::signalsFromString("k").empty());
    EXPECT_EQ(ADSRequestPrivate().spamSignals().size(), 1u);
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString("xnet"), 5);
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString("XNET"), 0);
}

}
