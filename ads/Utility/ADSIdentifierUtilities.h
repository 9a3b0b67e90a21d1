#pragma once
// The device as the ad server sees it: model, OS version, screen, audio route,
// language, hashed identifier, openable schemes and store metadata, as one
// parameter dictionary. It does not send anything or watch for changes.

#include "platform/Value.h"
#include "platform/net/Crypto.h"
#include "platform/ui/Geometry.h"
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// MD5 of the device's unique identifier. Returned by value: every caller gets
// its own digest, so one call can never overwrite another's result.
platform::Crypto::Md5Digest HashedDeviceIdentifier();

class ADSIdentifierUtilities {
public:
    static ADSIdentifierUtilities& sharedInstance();
    ADSIdentifierUtilities();

    platform::Dictionary parameters();

    bool isPhoneIdiom() const { return isPhoneIdiom_; }
    bool isJailbroken() const { return isJailbroken_; }
    // The device test behind isJailbroken: a process running with root
    // rights is outside the sandbox an ordinary application lives in.
    static bool isJailbrokenDevice();

    std::string deviceModel() const;
    const std::string& deviceSubmodel();
    std::string osVersion() const;

    // Major, minor and bug-fix numbers of osVersion; null pointers are skipped.
    static void getOSMajor(int* major, int* minor, int* bugFix);
    static void parseOSVersion(std::string_view version, int* major, int* minor, int* bugFix);
    static bool isOSAtLeastMajor(int major, int minor, int bug);

    const std::string& deviceIdentifier();
    const std::string& deviceIdentifierBase64();
    const std::optional<std::string>& locale();
    int audioRoute() const;
    static int audioRouteCode(const std::optional<std::string>& routeName);
    const platform::Dictionary& iTunesMetadata();
    static platform::Dictionary readITunesMetadataFileAt(const std::string& path);
    float screenDensity() const;
    platform::Size screenSize() const;
    bool isOrientationLandscape() const;
    platform::Dictionary canOpenURLs(const std::vector<std::string>& urls) const;

private:
    bool isPhoneIdiom_ = true;
    std::optional<platform::Dictionary> iTunesMetadata_;
    bool isJailbroken_ = false;
    std::optional<std::string> deviceIdentifier_;
    std::optional<std::string> deviceIdentifierBase64_;
    std::optional<std::string> deviceSubmodel_;
    bool localeRead_ = false;
    std::optional<std::string> locale_;
};
