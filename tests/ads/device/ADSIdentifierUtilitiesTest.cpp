// The device parameter dictionary and the OS-version tests, with the device's
// answers overridden where a desktop cannot vary them.
#include "Utility/ADSIdentifierUtilities.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "platform/net/Device.h"
#include "platform/ui/Application.h"
#include <gtest/gtest.h>

namespace {

using platform::Device;

class ADSIdentifierUtilitiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedVersion_ = platform::Bundle::version();
        savedIdentifier_ = platform::Bundle::identifier();
        Device::current().overrideUniqueIdentifier("c0ffee00c0ffee00c0ffee00c0ffee00");
    }
    void TearDown() override
    {
        Device& d = Device::current();
        d.overrideModel(std::nullopt);
        d.overrideSystemVersion(std::nullopt);
        d.overrideUniqueIdentifier(std::nullopt);
        d.overrideIdiom(std::nullopt);
        d.overrideScreenScale(std::nullopt);
        d.overrideAudioRoute(std::nullopt);
        platform::Application::shared().setStatusBarOrientation(1);
        platform::Application::shared().setStatusBarHidden(false);
        platform::Bundle::setVersion(savedVersion_);
        platform::Bundle::setIdentifier(savedIdentifier_);
        platform::UserDefaults::standard().removeObject("AppleLanguages");
        platform::FileSystem::removeFile(metadataPath());
    }
    static std::string metadataPath()
    {
        return platform::FileSystem::deletingLastPathComponent(platform::Paths::documents()) + "/iTunesMetadata.plist";
    }
    std::string savedVersion_, savedIdentifier_;
};

TEST_F(ADSIdentifierUtilitiesTest, OsVersionPiecesAndComparison)
{
    Device::current().overrideSystemVersion("4.3");
    int major = -1, minor = -1, bug = -1;
    ADSIdentifierUtilities::getOSMajor(&major, &minor, &bug);
    EXPECT_EQ(major, 4);
    EXPECT_EQ(minor, 3);
    EXPECT_EQ(bug, 0);
    ADSIdentifierUtilities::getOSMajor(nullptr, &minor, nullptr); // skipped out-parameters
    EXPECT_TRUE(ADSIdentifierUtilities::isOSAtLeastMajor(4, 0, 0));
    EXPECT_FALSE(ADSIdentifierUtilities::isOSAtLeastMajor(4, 3, 1));
    EXPECT_TRUE(ADSIdentifierUtilities::isOSAtLeastMajor(4, 3, 0));
    EXPECT_TRUE(ADSIdentifierUtilities::isOSAtLeastMajor(3, 9, 9));
    EXPECT_FALSE(ADSIdentifierUtilities::isOSAtLeastMajor(5, 0, 0));

    struct Case {
        const char* text;
        int a, b, c;
    } cases[] = { { "10.2.1beta", 10, 2, 1 }, { "", 0, 0, 0 }, { "x.5.y", 0, 5, 0 }, { "12", 12, 0, 0 },
        { "6.1.0-13-amd64", 6, 1, 0 }, { " 7 . -2.3.9", 7, -2, 3 }, { "99999999999.1", 2147483647, 1, 0 } };
    for (const Case& c : cases) {
        int a = -1, b = -1, d = -1;
        ADSIdentifierUtilities::parseOSVersion(c.text, &a, &b, &d);
        EXPECT_EQ(a, c.a) << c.text;
        EXPECT_EQ(b, c.b) << c.text;
        EXPECT_EQ(d, c.c) << c.text;
    }
}

TEST_F(ADSIdentifierUtilitiesTest, HashedIdentifierAsHexAndUrlSafeBase64)
{
    ADSIdentifierUtilities ids;
    // printf '%s' c0ffee00c0ffee00c0ffee00c0ffee00 | md5sum
    EXPECT_EQ(ids.deviceIdentifier(), "E273BC6658BD56CDAC1D8B51FA898BC3");
    // ... | openssl dgst -md5 -binary | base64 | tr '+/' '-_' | tr -d '='
    EXPECT_EQ(ids.deviceIdentifierBase64(), "4nO8Zli9Vs2sHYtR-omLww");
    EXPECT_EQ(ids.deviceIdentifierBase64().size(), 22u);

    // Computed once: a later change of the system's answer does not show.
    Device::current().overrideUniqueIdentifier("another-machine");
    EXPECT_EQ(ids.deviceIdentifier(), "E273BC6658BD56CDAC1D8B51FA898BC3");
}

TEST_F(ADSIdentifierUtilitiesTest, EachHashedIdentifierCallReturnsItsOwnDigest)
{
    platform::Crypto::Md5Digest first = HashedDeviceIdentifier();
    Device::current().overrideUniqueIdentifier("another-machine");
    platform::Crypto::Md5Digest second = HashedDeviceIdentifier();
    // printf '%s' another-machine | md5sum  ->  c4aea5ba93e2e695fef4c4556a5c5b5a
    EXPECT_EQ(first[0], 0xe2);
    EXPECT_EQ(first[15], 0xc3);
    EXPECT_EQ(second[0], 0xc4);
    EXPECT_EQ(second[15], 0x5a);
}

TEST_F(ADSIdentifierUtilitiesTest, PhoneApplicationOnATabletIsFlagged)
{
    Device::current().overrideModel("iPad");
    Device::current().overrideIdiom(Device::Idiom::Phone);
    EXPECT_EQ(ADSIdentifierUtilities().parameters().get("ios_ipadc").asString(), "1");
    Device::current().overrideIdiom(Device::Idiom::Pad);
    ADSIdentifierUtilities tabletApp;
    EXPECT_FALSE(tabletApp.isPhoneIdiom());
    EXPECT_FALSE(tabletApp.parameters().contains("ios_ipadc"));
    Device::current().overrideModel("iPhone");
    Device::current().overrideIdiom(Device::Idiom::Phone);
    platform::Dictionary p = ADSIdentifierUtilities().parameters();
    EXPECT_FALSE(p.contains("ios_ipadc"));
    EXPECT_EQ(p.get("platform").asString(), "iPhone");
}

TEST_F(ADSIdentifierUtilitiesTest, ApplicationNameWithAndWithoutVersion)
{
    platform::Bundle::setIdentifier("org.example.Game");
    platform::Bundle::setVersion("1.2");
    EXPECT_EQ(ADSIdentifierUtilities().parameters().get("app_name").asString(), "1.2.iphone.org.example.Game");
    platform::Bundle::setVersion("");
    EXPECT_EQ(ADSIdentifierUtilities().parameters().get("app_name").asString(), "iphone.org.example.Game");
}

TEST_F(ADSIdentifierUtilitiesTest, AudioRouteCodesCompareNamesExactly)
{
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode(std::nullopt), 1);
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode(""), 3);
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode("Headphone"), 2);
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode("Headset"), 2);
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode("HeadphonesAndMicrophone"), 5);
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode("Speaker"), 1);
    EXPECT_EQ(ADSIdentifierUtilities::audioRouteCode("speaker"), 5);

    // The desktop has no route name: the documented fallback.
    EXPECT_EQ(ADSIdentifierUtilities().parameters().get("u_audio").asString(), "1");
    Device::current().overrideAudioRoute(std::optional<std::string>("Headset"));
    EXPECT_EQ(ADSIdentifierUtilities().parameters().get("u_audio").asString(), "2");
}

TEST_F(ADSIdentifierUtilitiesTest, LocaleIsTheFirstPreferredLanguageLowerCased)
{
    platform::UserDefaults::standard().setObject("AppleLanguages", platform::Value(platform::Array { "PT-PT", "en" }));
    ADSIdentifierUtilities ids;
    EXPECT_EQ(ids.locale().value_or(""), "pt-pt");
    EXPECT_EQ(ids.parameters().get("hl").asString(), "pt-pt");

    platform::UserDefaults::standard().setObject("AppleLanguages", platform::Value(platform::Array {}));
    ADSIdentifierUtilities empty;
    EXPECT_FALSE(empty.locale().has_value());
    EXPECT_FALSE(empty.parameters().contains("hl"));

    platform::UserDefaults::standard().setObject("AppleLanguages", platform::Value("en"));
    EXPECT_FALSE(ADSIdentifierUtilities().locale().has_value());
    platform::UserDefaults::standard().setObject("AppleLanguages", platform::Value(platform::Array { 7 }));
    EXPECT_FALSE(ADSIdentifierUtilities().locale().has_value());
}

TEST_F(ADSIdentifierUtilitiesTest, StoreMetadataBesideTheDocumentsFolder)
{
    EXPECT_TRUE(ADSIdentifierUtilities().iTunesMetadata().empty());
    platform::Dictionary meta { { "itemId", 12345 }, { "bundleVersion", "1.0" } };
    ASSERT_TRUE(platform::PropertyList::writeFile(metadataPath(), platform::Value(meta)));
    ADSIdentifierUtilities ids;
    EXPECT_EQ(ids.iTunesMetadata().get("itemId").asInt64(), 12345);
    platform::Dictionary p = ids.parameters();
    ASSERT_TRUE(p.get("ios_metadata").isDictionary());
    EXPECT_EQ(p.get("ios_metadata").asDictionary().get("bundleVersion").asString(), "1.0");

    ASSERT_TRUE(platform::PropertyList::writeFile(metadataPath(), platform::Value(platform::Array { 1 })));
    EXPECT_TRUE(ADSIdentifierUtilities().iTunesMetadata().empty());
    ASSERT_TRUE(platform::FileSystem::writeAtomically(metadataPath(), "<plist><dict><key>x</key>"));
    ADSIdentifierUtilities damaged;
    EXPECT_TRUE(damaged.iTunesMetadata().empty());
    EXPECT_TRUE(damaged.parameters().get("ios_metadata").isDictionary()) << "sent even when empty";
}

TEST_F(ADSIdentifierUtilitiesTest, ScreenSizeDensityAndOrientation)
{
    ADSIdentifierUtilities ids;
    platform::Dictionary p = ids.parameters();
    EXPECT_EQ(p.get("u_w").asString(), "320");
    EXPECT_EQ(p.get("u_h").asString(), "480");
    EXPECT_EQ(p.get("u_so").asString(), "p");
    EXPECT_EQ(p.get("u_sd").asString(), "1");

    platform::Application::shared().setStatusBarOrientation(4);
    Device::current().overrideScreenScale(1.5f);
    p = ids.parameters();
    EXPECT_EQ(p.get("u_w").asString(), "480");
    EXPECT_EQ(p.get("u_h").asString(), "320");
    EXPECT_EQ(p.get("u_so").asString(), "l");
    EXPECT_EQ(p.get("u_sd").asString(), "1.5");

    platform::Application::shared().setStatusBarOrientation(2);
    platform::Application::shared().setStatusBarHidden(true);
    EXPECT_FALSE(ids.isOrientationLandscape());
    platform::Size s = ids.screenSize();
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 480) << "a hidden status bar leaves the whole screen to the application";
}

TEST_F(ADSIdentifierUtilitiesTest, DeviceKeysAndBookstoreCapability)
{
    ADSIdentifierUtilities ids;
    platform::Dictionary open = ids.canOpenURLs({ "http://www.example.com/", "kindle://home", "itms-books://" });
    EXPECT_TRUE(open.get("http://www.example.com/").asBool());
    EXPECT_TRUE(open.get("kindle://home").isBool());
    EXPECT_FALSE(open.get("kindle://home").asBool());

    platform::Dictionary p = ids.parameters();
    // Neither bookstore scheme opens on the desktop, so the key is left out.
    EXPECT_FALSE(p.contains("cap_bs"));
    EXPECT_EQ(p.get("isu").asString(), "E273BC6658BD56CDAC1D8B51FA898BC3");
    EXPECT_FALSE(p.get("submodel").asString().empty());
    EXPECT_EQ(p.contains("ios_jb"), Device::current().runsWithElevatedPrivileges());
    // Keys in the order they are filled.
    std::vector<std::string> keys;
    for (const auto& [k, v] : p)
        keys.push_back(k);
    std::vector<std::string> expected { "ios_metadata", "app_name" };
    if (p.contains("ios_jb"))
        expected.push_back("ios_jb");
    for (const char* k : { "isu", "platform", "submodel" })
        expected.push_back(k);
    if (p.contains("hl"))
        expected.push_back("hl");
    for (const char* k : { "u_audio", "u_so", "u_sd", "u_w", "u_h" })
        expected.push_back(k);
    EXPECT_EQ(keys, expected);
}

}
