#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSNumberUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "encoding/ADSStringEncoding.h"
#include "platform/FileSystem.h"
#include "platform/IntegerText.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "platform/net/Device.h"
#include "platform/ui/Application.h"
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

platform::Crypto::Md5Digest HashedDeviceIdentifier()
{
    return platform::Crypto::md5(platform::Device::current().uniqueIdentifier());
}

ADSIdentifierUtilities& ADSIdentifierUtilities::sharedInstance()
{
    static ADSIdentifierUtilities instance;
    return instance;
}

ADSIdentifierUtilities::ADSIdentifierUtilities()
    : isPhoneIdiom_(platform::Device::current().userInterfaceIdiom() == platform::Device::Idiom::Phone)
    , isJailbroken_(isJailbrokenDevice())
{
}

bool ADSIdentifierUtilities::isJailbrokenDevice()
{
    return platform::Device::current().runsWithElevatedPrivileges();
}

std::string ADSIdentifierUtilities::deviceModel() const
{
    return platform::Device::current().model();
}

const std::string& ADSIdentifierUtilities::deviceSubmodel()
{
    if (!deviceSubmodel_) {
        std::string machine = platform::Device::current().machineName();
        std::string ascii;
        for (char c : machine)
            if (static_cast<unsigned char>(c) < 0x80)
                ascii.push_back(c);
        deviceSubmodel_ = ascii;
    }
    return *deviceSubmodel_;
}

std::string ADSIdentifierUtilities::osVersion() const
{
    return platform::Device::current().systemVersion();
}

namespace {

// A piece's leading decimal integer, 0 when it has none; held to int.
int leadingInteger(std::string_view piece)
{
    const int64_t v = platform::leadingInteger(piece).value_or(0);
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}

void ADSIdentifierUtilities::parseOSVersion(std::string_view version, int* major, int* minor, int* bugFix)
{
    int parts[3] = { 0, 0, 0 };
    size_t start = 0;
    for (int k = 0; k < 3 && start <= version.size(); ++k) {
        size_t dot = version.find('.', start);
        std::string_view piece = version.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        parts[k] = leadingInteger(piece);
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    if (major)
        *major = parts[0];
    if (minor)
        *minor = parts[1];
    if (bugFix)
        *bugFix = parts[2];
}

void ADSIdentifierUtilities::getOSMajor(int* major, int* minor, int* bugFix)
{
    parseOSVersion(sharedInstance().osVersion(), major, minor, bugFix);
}

bool ADSIdentifierUtilities::isOSAtLeastMajor(int major, int minor, int bug)
{
    int a = 0, b = 0, c = 0;
    getOSMajor(&a, &b, &c);
    if (a != major)
        return a > major;
    if (b != minor)
        return b > minor;
    return c >= bug;
}

const std::string& ADSIdentifierUtilities::deviceIdentifier()
{
    if (!deviceIdentifier_) {
        auto digest = HashedDeviceIdentifier();
        std::string hex;
        hex.reserve(32);
        char buf[3];
        for (uint8_t b : digest) {
            std::snprintf(buf, sizeof buf, "%02X", b);
            hex += buf;
        }
        deviceIdentifier_ = hex;
    }
    return *deviceIdentifier_;
}

const std::string& ADSIdentifierUtilities::deviceIdentifierBase64()
{
    if (!deviceIdentifierBase64_) {
        auto digest = HashedDeviceIdentifier();
        ADSStringEncoding enc = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding();
        enc.setDoPad(false);
        deviceIdentifierBase64_ = enc.encode(digest.data(), digest.size());
    }
    return *deviceIdentifierBase64_;
}

const std::optional<std::string>& ADSIdentifierUtilities::locale()
{
    if (!localeRead_) {
        localeRead_ = true;
        platform::Value languages = platform::UserDefaults::standard().objectForKey("AppleLanguages");
        const platform::Array* list = languages.arrayIf();
        if (list && !list->empty()) {
            if (const std::string* first = list->front().stringIf()) {
                std::string lower = *first;
                for (char& c : lower)
                    c = char(std::tolower(static_cast<unsigned char>(c)));
                locale_ = lower;
            }
        }
    }
    return locale_;
}

int ADSIdentifierUtilities::audioRouteCode(const std::optional<std::string>& routeName)
{
    if (!routeName)
        return 1;
    if (routeName->empty())
        return 3;
    if (*routeName == "Headphone" || *routeName == "Headset")
        return 2;
    if (*routeName == "Speaker")
        return 1;
    return 5;
}

int ADSIdentifierUtilities::audioRoute() const
{
    return audioRouteCode(platform::Device::current().audioRouteName());
}

platform::Dictionary ADSIdentifierUtilities::readITunesMetadataFileAt(const std::string& path)
{
    auto root = platform::PropertyList::readFile(path);
    if (!root || !root->isDictionary())
        return {};
    return root->asDictionary();
}

const platform::Dictionary& ADSIdentifierUtilities::iTunesMetadata()
{
    if (!iTunesMetadata_) {
        iTunesMetadata_ = platform::Dictionary {};
        std::string documents = platform::Paths::documents();
        if (!documents.empty()) {
            // The file sits beside the documents folder, in the container root.
            std::string path = platform::FileSystem::appendPathComponent(
                platform::FileSystem::deletingLastPathComponent(documents), "iTunesMetadata.plist");
            iTunesMetadata_ = readITunesMetadataFileAt(path);
        }
    }
    return *iTunesMetadata_;
}

float ADSIdentifierUtilities::screenDensity() const
{
    return platform::Device::current().screenScale();
}

platform::Size ADSIdentifierUtilities::screenSize() const
{
    const platform::Device& device = platform::Device::current();
    platform::Rect app = device.applicationFrame();
    float height = app.height;
    if (!device.isStatusBarHidden())
        height += device.statusBarFrame().height;
    return { app.width, height };
}

bool ADSIdentifierUtilities::isOrientationLandscape() const
{
    int o = platform::Device::current().statusBarOrientation();
    return o == 3 || o == 4;
}

platform::Dictionary ADSIdentifierUtilities::canOpenURLs(const std::vector<std::string>& urls) const
{
    platform::Dictionary result;
    for (const std::string& u : urls)
        result.set(u, platform::Value(platform::Application::shared().canOpenURL(u)));
    return result;
}

platform::Dictionary ADSIdentifierUtilities::parameters()
{
    platform::Dictionary p;
    if (deviceModel() == "iPad" && isPhoneIdiom())
        p.set(kADSParameterIPadCompatibilityMode, "1");
    p.set(kADSParameterITunesMetadata, platform::Value(iTunesMetadata()));

    std::string appName;
    if (!platform::Bundle::version().empty())
        appName = platform::Bundle::version() + ".";
    appName += "iphone." + platform::Bundle::identifier();
    p.set(kADSApplicationName, appName);

    if (isJailbroken())
        p.set(kADSParameterJailbroken, "1");
    p.set(kADSParameterDeviceID, deviceIdentifier());
    if (std::string model = deviceModel(); !model.empty())
        p.set(kADSParameterDeviceModel, model);
    if (!deviceSubmodel().empty())
        p.set(kADSParameterDeviceSubmodel, deviceSubmodel());
    if (locale())
        p.set(kADSParameterLocale, *locale());
    p.set(kADSParameterAudioOutput, std::to_string(audioRoute()));
    p.set(kADSParameterScreenOrientation, isOrientationLandscape() ? "l" : "p");
    p.set(kADSParameterScreenDensity, ADSNumberUtilities::stringWithFloat(screenDensity()));
    platform::Size size = screenSize();
    p.set(kADSParameterScreenWidth, ADSNumberUtilities::stringWithFloat(size.width));
    p.set(kADSParameterScreenHeight, ADSNumberUtilities::stringWithFloat(size.height));

    platform::Dictionary open = canOpenURLs({ "itms-books://", "kindle://home" });
    int capabilities = (open.get("itms-books://").asBool() ? 1 : 0) + (open.get("kindle://home").asBool() ? 2 : 0);
    if (capabilities != 0)
        p.set(kADSParameterCapabilitiesBookstore, platform::Value(capabilities));
    return p;
}
