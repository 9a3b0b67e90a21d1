#pragma once
// Base fixture of the banner suites: the local ad server (ad pages, status
// pages, tracking counters) and a core-script server whose script answers as
// the request's extras tell it, both on 127.0.0.1; the library pointed at
// them; and a banner with a delegate that records what it hears.

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
#include "ads/support/CoreScriptServer.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/PlatformSession.h"
#include "platform/UserDefaults.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

// The test's core script. extras.answer picks the answer: "invalidRequest",
// "unableToServe", "silent" (none at all), "badurl", or by default
// "loadAdURL" with extras.ad plus what the page was given, for the test to
// read back from the ad server's log.
inline constexpr const char* kTestCoreScript = R"JS(
function ADS_buildAdURL(p) {
  var x = p.extras || {};
  var send = function (name, query) { window.location.href = 'amsg://ads/' + name + (query ? '?' + query : ''); };
  if (x.answer === 'silent') return;
  if (x.answer === 'invalidRequest' || x.answer === 'unableToServe') { send(x.answer, 'why=test'); return; }
  if (x.answer === 'badurl') { send('loadAdURL', 'url=not%20a%20url&type=adnet'); return; }
  var ad = x.ad + (x.ad.indexOf('?') < 0 ? '?' : '&') + 'preqs=' + p.preqs
    + '&slot=' + encodeURIComponent(p.slotname || '')
    + '&frame=' + encodeURIComponent(JSON.stringify(p.ad_frame))
    + '&echo=' + encodeURIComponent(x.echo || '')
    + '&keys=' + encodeURIComponent(Object.keys(p).sort().join(','));
  send('loadAdURL', 'url=' + encodeURIComponent(ad) + '&type=adnet');
}
)JS";

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
        adServer = std::make_unique<LocalServer>();
        coreServer = std::make_unique<CoreScriptServer>();
        setenv("TOLVANE_ADS_BASE_URL", adServer->url("/").c_str(), 1);
        setenv("TOLVANE_ADS_STATIC_URL", coreServer->origin().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        unsetenv("TOLVANE_ADS_BASE_URL");
        unsetenv("TOLVANE_ADS_STATIC_URL");
        adServer.reset();
        coreServer.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(adServer->running()) << "the local ad server did not start";
        ASSERT_TRUE(coreServer->running()) << "the core script server did not start";
        adServer->fetch("/__reset");
        coreServer->writeScript(kTestCoreScript, kScriptTime);
        forgetCoreScript();
        ADSStatistics::releaseSharedStatistics();
        platform::UserDefaults::standard().removeObject("ads_stats_shared");
        platform::UserDefaults::standard().removeObject("ads_timing_shared");
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
        scriptRequestsBefore = coreServer->requests().size();
        makeBanner();
    }

    void TearDown() override
    {
        banner.reset();
        platform::RunLoop::main().runPending();
        platform::Console::setKeepingLines(false);
    }

    // No cached script and no expiry date: the next load fetches.
    static void forgetCoreScript()
    {
        ADSCachedFile(nullptr, *platform::Url::fromString(coreServer->origin() + "/ads/sdk-core-v40.js")).invalidate();
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

    // A request whose script answer and ad page the test chooses.
    static std::unique_ptr<ADSRequest> requestFor(const std::string& answer, const std::string& adPath = "/ad?refresh=0")
    {
        auto request = ADSRequest::request();
        request->setAdditionalParameters(platform::Dictionary { { "answer", answer }, { "ad", adServer->url(adPath) } });
        return request;
    }

    bool waitForState(int32_t state, double seconds = 20)
    {
        return pumpUntil([&] { return object().state() == state; }, seconds);
    }

    // Runs the loop until the state is one of the resting ones (0, 2, 6, 7).
    bool waitUntilSettled(double seconds = 20)
    {
        return pumpUntil([&] { return !object().isMakingRequest(); }, seconds);
    }

    static void advance(double s) { platform::PlatformSession::current()->virtualClock()->advance(s); }

    // Requests of the ad pages, in order.
    static std::vector<RecordedRequest> adRequests() { return recordedRequests(*adServer, "/ad"); }
    size_t scriptFetches() const { return coreServer->requests().size() - scriptRequestsBefore; }
    std::vector<std::pair<std::string, int>> newScriptRequests() const
    {
        auto all = coreServer->requests();
        return { all.begin() + long(scriptRequestsBefore), all.end() };
    }

    static constexpr long long kScriptTime = 1321344751; // 2011-11-15 08:12:31 UTC
    static inline std::unique_ptr<LocalServer> adServer;
    static inline std::unique_ptr<CoreScriptServer> coreServer;

    platform::ViewController root;
    RecordingDelegate delegate;
    std::unique_ptr<ADSBannerView> banner;
    std::vector<int32_t> states;
    size_t scriptRequestsBefore = 0;
};
