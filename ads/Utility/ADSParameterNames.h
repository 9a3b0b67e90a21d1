#pragma once
// Names of the ad request parameters. The same string names a request key, a
// statistics counter or a timing; the request, the device parameters and the
// statistics all spell their keys through these constants.

inline constexpr const char* kADSParameterSDKVersion = "js";
inline constexpr const char* kADSParameterNetworkType = "net";
inline constexpr const char* kADSParameterTesting = "testing";
inline constexpr const char* kADSParameterTestMode = "adtest";
inline constexpr const char* kADSParameterExtraParams = "extras";
inline constexpr const char* kADSParameterGender = "cust_gender";
inline constexpr const char* kADSParameterBirthday = "cust_age";
inline constexpr const char* kADSParameterKeywords = "kw";
inline constexpr const char* kADSParameterLocation = "uloc";
inline constexpr const char* kADSParameterAdSlotID = "slotname";
inline constexpr const char* kADSParameterAdFormat = "format";
inline constexpr const char* kADSParameterAdFrame = "ad_frame";

// Device and environment.
inline constexpr const char* kADSParameterDeviceID = "isu";
inline constexpr const char* kADSParameterDeviceModel = "platform";
inline constexpr const char* kADSParameterDeviceSubmodel = "submodel";
inline constexpr const char* kADSParameterLocale = "hl";
inline constexpr const char* kADSParameterAudioOutput = "u_audio";
inline constexpr const char* kADSParameterScreenOrientation = "u_so";
inline constexpr const char* kADSParameterScreenDensity = "u_sd";
inline constexpr const char* kADSParameterScreenWidth = "u_w";
inline constexpr const char* kADSParameterScreenHeight = "u_h";
inline constexpr const char* kADSParameterCapabilitiesBookstore = "cap_bs";
inline constexpr const char* kADSApplicationName = "app_name";
inline constexpr const char* kADSParameterJailbroken = "ios_jb";
inline constexpr const char* kADSParameterIPadCompatibilityMode = "ios_ipadc";
inline constexpr const char* kADSParameterITunesMetadata = "ios_metadata";

// Statistics of earlier requests: timings, values kept in timings, counters and flags.
inline constexpr const char* kADSParameterPriorRequestLatency = "prl";
inline constexpr const char* kADSParameterPriorClickLatency = "pcl";
inline constexpr const char* kADSParameterPriorClickString = "pai";
inline constexpr const char* kADSParameterPriorPreClickLatency = "ppcl";
inline constexpr const char* kADSParameterPriorClickRedirectLatency = "pcrl";
inline constexpr const char* kADSParameterPriorLandingPageLoad = "plpl";
inline constexpr const char* kADSParameterPriorLandingPageDuration = "plpd";
inline constexpr const char* kADSParameterPriorClickBreakOut = "pcbo";
inline constexpr const char* kADSParameterTimeSinceFirstRequest = "ptime";
inline constexpr const char* kADSParameterPriorClickBackgroundedApp = "pclb";
inline constexpr const char* kADSParameterPriorLandingPageNavCount = "plpnc";
inline constexpr const char* kADSParameterPriorLandingPageSSLNavCount = "plpsnc";
inline constexpr const char* kADSParameterPriorImpressionTicketString = "pit";
inline constexpr const char* kADSParameterPriorClickCount = "pcc";
inline constexpr const char* kADSParameterAppOpenInterstitialTimedOut = "aoi_timedout";
inline constexpr const char* kADSParameterAppOpenInterstitialNoFill = "aoi_nofill";
inline constexpr const char* kADSParameterTotalAdRequests = "preqs";
