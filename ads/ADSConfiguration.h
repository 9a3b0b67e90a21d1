#pragma once
// Build-time configuration of the ad library, kept in one place: error
// domains, the host probed for reachability, the location cipher key, the
// vendor's click-tracking domain and the two ad servers, whose build-time
// addresses the environment may override. It decides nothing else.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Domain of the errors the ad library reports to its delegates.
inline constexpr const char* kADSErrorDomain = "org.tolvane.ads.AdsSDK";

// Domain of the JSON reader's and writer's errors.
inline constexpr const char* ADS_KVJSONErrorDomain = "org.tolvane.ads.KVJSON";

// A public host of the ad vendor whose reachability stands for "the network".
inline constexpr const char* kADSReachabilityHostName = "www.tolvane.org";

// The vendor's click-tracking servers all live under this domain; the
// impression ticket is taken only from pings answered there.
inline constexpr const char* kADSClickTrackingDomain = "clk.tolvane.org";

// AES-128 key of the enciphered location wire form. The ad server holds the
// same key; changing it here breaks decoding on the server.
inline constexpr std::array<uint8_t, 16> kADSLocationKey = {
    0x7a, 0x31, 0xc4, 0x0e, 0x95, 0x5b, 0x22, 0xf8,
    0x46, 0xd1, 0x0b, 0x8e, 0x63, 0xa7, 0x19, 0xec,
};

// The path of the core script on the static-content server.
inline constexpr const char* kADSCoreScriptPath = "/ads/sdk-core-v40.js";

// Environment variables that point the library at other servers (the local ad
// server of the demo and the tests).
inline constexpr const char* kADSBaseURLVariable = "TOLVANE_ADS_BASE_URL";
inline constexpr const char* kADSStaticURLVariable = "TOLVANE_ADS_STATIC_URL";

class ADSConfiguration {
public:
    // The application's ad unit: 15 lowercase hexadecimal characters, set
    // when the program is built.
    static std::string adUnitID();
    static bool isValidAdUnitID(std::string_view id);

    // The ad server's base URL: the origin the core script runs with. The
    // environment's value when it is an http(s) URL, else the build's.
    static std::string adServerBaseURL();
    // Scheme, host and port of the static-content server, without a path.
    static std::string staticServerURL();
    // The core script's URL on the static-content server.
    static std::string coreScriptURL() { return staticServerURL() + kADSCoreScriptPath; }
};
