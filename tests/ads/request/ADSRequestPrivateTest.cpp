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
#include "platform/UserDefaults.h"
#include "platform/net/Device.h"
#include "platform/net/Reachability.h"
#include <gtest/gtest.h>
#include <set>

namespace {

platform::VirtualClock& clock() { return *platform::PlatformSession::current()->virtualClock(); }

class ADSRequestPrivateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ADSStatistics::releaseSharedStatistics();
        platform::UserDefaults::standard().removeObject("ads_stats_shared");
        platform::UserDefaults::standard().removeObject("ads_timing_shared");
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
    }
    void TearDown() override
    {
        platform::Device::current().overrideUniqueIdentifier(std::nullopt);
        platform::Device::current().overrideSystemVersion(std::nullopt);
        clock().setLocalOffsetSeconds(0);
        platform::Console::setKeepingLines(false);
    }
    static std::set<std::string> keys(const platform::Dictionary& d)
    {
        std::set<std::string> k;
        for (const auto& [key, value] : d)
            k.insert(key);
        return k;
    }
};

TEST_F(ADSRequestPrivateTest, EmptyRequestSendsDeviceParametersVersionCounterAndNetworkOnceKnown)
{
    ADSRequestPrivate request;
    std::set<std::string> device = keys(ADSIdentifierUtilities::sharedInstance().parameters());
    ASSERT_FALSE(device.empty());

    platform::Dictionary p = request.parameters();
    EXPECT_EQ(p.get("js").asString(), "ads-sdk-i-v4.1.0");
    EXPECT_EQ(p.get("js").asString(), ADSRequest::sdkVersion());
    ASSERT_TRUE(p.get("preqs").isInteger());
    EXPECT_EQ(p.get("preqs").asInt64(), 0);
    std::set<std::string> sent = keys(p);
    for (const std::string& k : device)
        EXPECT_TRUE(sent.count(k)) << "device key missing: " << k;
    for (const std::string& k : sent) {
        bool statistic = std::find(ADSStatistics::allTimingNames().begin(), ADSStatistics::allTimingNames().end(), k)
            != ADSStatistics::allTimingNames().end();
        EXPECT_TRUE(device.count(k) || k == "js" || k == "preqs" || k == "net" || statistic) << "unexpected key " << k;
    }
    for (const char* targeting : { "testing", "adtest", "extras", "cust_gender", "cust_age", "kw", "uloc" })
        EXPECT_FALSE(p.contains(targeting)) << targeting;

    // The network type appears once the reachability report says what it is.
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
    request.setAdditionalParameters(platform::Dictionary { { "color_bg", "000000" }, { "n", 3 } });
    request.setLocationWithDescription("Helsinki, Finland");
    request.setTestDevices(std::vector<std::string> { "another", "device-under-test" });

    platform::Dictionary p = request.parameters();
    EXPECT_EQ(p.get("cust_gender").asString(), "f");
    EXPECT_EQ(p.get("cust_age").asString(), "19800307");
    ASSERT_TRUE(p.get("kw").isArray());
    EXPECT_EQ(p.get("kw"), platform::Value(platform::Array { "cards", "cards" })) << "empty dropped, duplicates kept";
    ASSERT_TRUE(p.get("extras").isDictionary()) << "extras stay nested";
    EXPECT_EQ(p.get("extras").asDictionary().get("n").asInt64(), 3);
    EXPECT_EQ(p.get("uloc").asString().rfind("a+", 0), 0u) << p.get("uloc").asString();
    EXPECT_EQ(p.get("adtest").asString(), "on");
    EXPECT_FALSE(p.contains("testing"));
    EXPECT_TRUE(platform::Console::takeLines().empty());

    request.setGender(7);
    request.setTestDevices(std::vector<std::string> { "another" });
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
        clock().setLocalOffsetSeconds(offset);
        request.setBirthdayWithMonth(3, 7, 1980);
        EXPECT_EQ(request.birthdayString().value_or(""), "19800307") << "offset " << offset;
        request.setBirthdayWithMonth(13, 1, 1999);
        EXPECT_EQ(request.birthdayString().value_or(""), "20000101") << "offset " << offset;
        request.setBirthdayWithMonth(2, 30, 2001);
        EXPECT_EQ(request.birthdayString().value_or(""), "20010302") << "offset " << offset;
        request.setBirthdayWithMonth(0, 0, 2000);
        EXPECT_EQ(request.birthdayString().value_or(""), "19991130") << "offset " << offset;
    }
}

TEST_F(ADSRequestPrivateTest, CounterIsSentAsPreqsOverTheStatisticsCountAndIsNotCopied)
{
    ADSStatistics::sharedStatistics().setAdRequestCount(41);
    ADSRequestPrivate request;
    request.setCounter(2);
    request.addKeyword("x");
    request.setGender(1);
    request.setInterstitialAd(true);
    EXPECT_EQ(request.parameters().get("preqs").asInt64(), 2);

    std::unique_ptr<ADSRequestPrivate> copy = request.copy();
    EXPECT_EQ(copy->counter(), 0);
    EXPECT_EQ(copy->keywords(), request.keywords());
    EXPECT_EQ(copy->gender(), 1);
    EXPECT_TRUE(copy->isInterstitialAd());
    copy->addKeyword("y");
    EXPECT_EQ(request.keywords()->size(), 1u) << "a copy never changes the original";

    std::unique_ptr<ADSRequest> fresh = ADSRequest::request();
    EXPECT_NE(dynamic_cast<ADSRequestPrivate*>(fresh.get()), nullptr);
}

TEST_F(ADSRequestPrivateTest, SignalsStringGivesAtMostOneEntry)
{
    EXPECT_EQ(ADSRequestPrivate::signalsFromString("k=v=w"), (platform::Dictionary { { "k", "v" } }));
    EXPECT_TRUE(ADSRequestPrivate::signalsFromString("k=").empty());
    EXPECT_TRUE(ADSRequestPrivate::signalsFromString("k").empty());
    EXPECT_TRUE(ADSRequestPrivate::signalsFromString("").empty());
    platform::Dictionary fromModule = ADSRequestPrivate().spamSignals();
    ASSERT_EQ(fromModule.size(), 1u);
    EXPECT_FALSE(fromModule.begin()->second.asString().empty());
}

TEST_F(ADSRequestPrivateTest, RequestTypesAndMinimumOSCompareExactly)
{
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString("adnet"), 4);
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString("xnet"), 5);
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString("adtext"), 1);
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString("XNET"), 0);
    EXPECT_EQ(ADSRequestPrivate::requestTypeFromString(std::nullopt), 0);

    platform::Device::current().overrideSystemVersion("3.0");
    EXPECT_TRUE(ADSRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 0));
    EXPECT_FALSE(ADSRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 1));
    platform::Device::current().overrideSystemVersion("2.9.9");
    EXPECT_FALSE(ADSRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 0));
    platform::Device::current().overrideSystemVersion("12");
    EXPECT_TRUE(ADSRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 9));
}

TEST_F(ADSRequestPrivateTest, DescriptionNamesThePublicClassAndOnlyWhatIsSet)
{
    ADSRequestPrivate request;
    std::string bare = request.description();
    EXPECT_EQ(bare.rfind("ADSRequest<0x", 0), 0u) << bare;
    EXPECT_EQ(bare.back(), ' ') << "nothing after the colon for an empty request: " << bare;
    request.setGender(1);
    request.setBirthday(platform::Date { 0 });
    request.addKeyword("k");
    std::string text = request.description();
    EXPECT_NE(text.find("\ngender:Male"), std::string::npos) << text;
    EXPECT_NE(text.find("\nbirthday:1970-01-01 00:00:00 +0000"), std::string::npos) << text;
    EXPECT_NE(text.find("\nkeywords:"), std::string::npos) << text;
    EXPECT_EQ(text.find("location"), std::string::npos) << text;
}

}
