#pragma once
// Base fixture of the banner suites: the local ad network of tools/adserver
// on 127.0.0.1 (core script, house ads, failure modes, tracking counters), the
// library pointed at it, and a banner whose delegate records what it hears.

#include "Delegate/ADSDelegateManager.h"
#include "Network/ADSCachedFile.h"
#include "Object/ADSObjectPrivate.h"
#include "Request/ADSRequestError.h"
#include "Request/ADSRequestPrivate.h"
#include "Statistics/ADSStatistics.h"
#include "View/ADSBannerView.h"
#include "View/ADSBannerViewDelegate.h"
#include "ads/network/LocalServer.h"
#include "ads/network/RecordedRequests.h"
#include "json/ADS_KVJSON.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/PlatformSession.h"
#include "platform/UserDefaults.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

struct RecordingDelegate : ADSBannerViewDelegate {
    int received = 0;
    std::vector<long> errors;
    std::function<void()> onReceive;
    void adViewDidReceiveAd(ADSBannerView&) override
    {
        ++received;
        if (onReceive)
            onReceive();
    }
    void didFailToReceiveAdWithError(ADSBannerView&, const ADSRequestError& error) override { errors.push_back(error.code); }
};

class BannerFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = std::make_unique<LocalServer>();
        setenv("TOLVANE_ADS_BASE_URL", server->url("/").c_str(), 1);
        setenv("TOLVANE_ADS_STATIC_URL", server->url("").c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        unsetenv("TOLVANE_ADS_BASE_URL");
        unsetenv("TOLVANE_ADS_STATIC_URL");
        server.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(server->running()) << "the local ad network did not start";
        server->fetch("/__reset");
        mode("refresh=0");
        forgetCoreScript();
        // Statistics start afresh: the request count is the next "preqs".
        ADSStatistics::releaseSharedStatistics();
        platform::UserDefaults::standard().removeObject("ads_stats_shared");
        platform::UserDefaults::standard().removeObject("ads_timing_shared");
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
        makeBanner();
    }
    void TearDown() override
    {
        banner.reset();
        platform::RunLoop::main().runPending();
        platform::Console::setKeepingLines(false);
    }

    // The network's failure mode, refresh interval or pinned ad (/__mode).
    static void mode(const std::string& query) { ASSERT_NE(server->fetch("/__mode?" + query).find('{'), std::string::npos); }
    static platform::Dictionary stats()
    {
        auto parsed = ADS_KVJSON().objectWithString(server->fetch("/stats"));
        return parsed ? parsed->asDictionary() : platform::Dictionary();
    }
    static int64_t hits(const std::string& route) { return stats().get("hits").asDictionary().get(route).asInt64(); }
    static int64_t tracked(const std::string& kind, const std::string& ad)
    {
        return stats().get("tracking").asDictionary().get(kind).asDictionary().get(ad).asInt64();
    }
    // The parameters the core script sent to the network, one per ad built.
    static std::vector<platform::Dictionary> builtParameters()
    {
        std::vector<platform::Dictionary> out;
        auto log = ADS_KVJSON().objectWithString(server->fetch("/__requests"));
        for (const platform::Value& entry : log ? log->asArray() : platform::Array())
            if (entry.asDictionary().get("path").asString() == "/ads/build")
                if (auto body = ADS_KVJSON().objectWithString(entry.asDictionary().get("body").asString()))
                    out.push_back(body->asDictionary());
        return out;
    }

    static platform::Url coreScriptURL() { return *platform::Url::fromString(server->url("/ads/sdk-core-v40.js")); }
    // No cached script and no expiry date: the next load fetches.
    static void forgetCoreScript()
    {
        ADSCachedFile(nullptr, coreScriptURL()).invalidate();
        platform::UserDefaults::standard().removeObject("ads_stats_ADSObjectPrivate");
    }

    void makeBanner()
    {
        banner = std::make_unique<ADSBannerView>(platform::Rect { 0, 0, 320, 50 });
        banner->setAdUnitID("a14d9c0e7f3b2a1");
        banner->setRootViewController(&root);
        banner->setDelegate(&delegate);
        states.clear();
        object().setStateObserver([this](int32_t s) { states.push_back(s); });
    }
    ADSObjectPrivate& object() { return banner->privateObject(); }
    void load() { banner->loadRequest(ADSRequest::request().get()); }

    bool waitForState(int32_t state, double seconds = 20)
    {
        return pumpUntil([&] { return object().state() == state; }, seconds);
    }
    // Runs the loop until the state is a resting one (0, 2, 6 or 7).
    bool waitUntilSettled(double seconds = 20)
    {
        return pumpUntil([&] { return !object().isMakingRequest(); }, seconds);
    }
    static void advance(double s) { platform::PlatformSession::current()->virtualClock()->advance(s); }

    static inline std::unique_ptr<LocalServer> server;
    platform::ViewController root;
    RecordingDelegate delegate;
    std::unique_ptr<ADSBannerView> banner;
    std::vector<int32_t> states;
};
