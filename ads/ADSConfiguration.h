#pragma once
// Build-time configuration of the ad library, kept in one place: error
// domains, the host probed for reachability, the location cipher key and the
// vendor's click-tracking domain. Values only; no behaviour lives here.

#include <array>
#include <cstdint>

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
