// The banner's loading state machine against a real ad server and core-script
// server on 127.0.0.1, in a real web engine: the states of a load, the error of
// every failure, the one-day script cache, the parameters the script gets,
// refresh and its suspension, tracking pings, and the page's embedding.
#include "ads/support/BannerFixture.h"
#include "Network/ADSNetworkChecker.h"
#include "Utility/ADSMacros.h"
#include "Utility/ADSNetworkUtilities.h"
#include "ViewController/ADSViewController.h"
#include "json/ADS_KVJSON.h"
#include "platform/FileSystem.h"
#include "platform/NotificationCenter.h"
#include "platform/net/Device.h"
#include "platform/net/Reachability.h"
#include "platform/ui/Application.h"
#include <set>

namespace {

using S = ADSObjectPrivate::State;

std::string queryValue(const std::string& path, const std::string& key)
{
    auto url = platform::Url::fromString("http://x" + path);
    auto raw = url ? ADSNetworkUtilities::parameterValueForKey(key, *url) : std::nullopt;
    return raw ? platform::Url::percentUnescape(*raw).value_or("<bad escape>") : "<absent>";
}

// An origin on 127.0.0.1 where nothing listens.
std::string closedPortOrigin()
{
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(probe, reinterpret_cast<sockaddr*>(&addr), len);
    getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
    close(probe);
    return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
}

class ADSObjectPrivateTest : public BannerFixture { };

TEST_F(ADSObjectPrivateTest, ALoadGoesThroughEveryStateAndShowsTheAdWithItsParameters)
{
    ADSNetworkChecker::sharedChecker();
    platform::Reachability::postReport(platform::Reachability::kReachable);
    platform::RunLoop::main().runPending();
    auto request = requestFor("loadAdURL", "/ad?refresh=0");
    request->addKeyword("commander");
    request->setBirthdayWithMonth(3, 7, 1980);
    banner->setFrame({ 0, 430, 320, 50 });

    banner->loadRequest(request.get());
    EXPECT_TRUE(object().isMakingRequest());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(states, (std::vector<int32_t> { S::BuildingAdURL, S::FetchingScript, S::FetchingScript, S::BuildingAdURL,
                          S::DownloadingAd, S::ShowingAd, S::AdShown }));
    EXPECT_EQ(delegate.received, 1);
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_FALSE(banner->webView().isHidden());
    EXPECT_FALSE(object().hasBuildAdWebView()) << "the hidden web view goes once the script answered";
    EXPECT_NE(object().adHTMLString().value_or("").find("Tolvane demo ad"), std::string::npos);

    auto ads = adRequests();
    ASSERT_EQ(ads.size(), 1u);
    const std::string& path = ads[0].path;
    EXPECT_EQ(queryValue(path, "preqs"), "1");
    EXPECT_EQ(queryValue(path, "slot"), "a14d9c0e7f3b2a1");
    EXPECT_EQ(queryValue(path, "frame"), R"({"x":0,"y":430,"w":320,"h":50})");
    EXPECT_NE(queryValue(path, "ms"), "<absent>") << "the signals entry rides on the ad URL: " << path;
    std::string keys = "," + queryValue(path, "keys") + ",";
    for (const char* key : { "js", "preqs", "slotname", "ad_frame", "net", "extras", "kw", "cust_age", "ptime", "isu", "u_so" })
        EXPECT_NE(keys.find(std::string(",") + key + ","), std::string::npos) << key << " missing from " << keys;
    EXPECT_EQ(keys.find(",format,"), std::string::npos);
    EXPECT_EQ(ads[0].header("User-Agent").rfind("Mozilla/5.0", 0), 0u) << "downloads send the engine's agent";
}

TEST_F(ADSObjectPrivateTest, EveryFailureEndsInItsStateWithItsCode)
{
    struct Row {
        std::string answer, adPath;
        int32_t state;
        long code;
        std::string line;
    };
    const std::vector<Row> rows = {
        { "invalidRequest", "/ad", S::Failed, 0, "<Ads> Invalid Request: " },
        { "unableToServe", "/ad", S::Failed, 0, "<Ads> Unable to serve: " },
        { "loadAdURL", "/status/400", S::Failed, 0,
            "<Ads> Server rejected ad parameters.  Typically this is because the ad unit ID is incorrect." },
        { "loadAdURL", "/status/404", S::Failed, 3, "" },
        { "loadAdURL", "/status/500", S::Failed, 3, "" },
        { "loadAdURL", "/content/empty?body=%20%0A%09", S::Failed, 1, "" },
        { "badurl", "/ad", S::Failed, 2, "<Ads> The core script's ad URL is not a URL: not a url" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer + " " + row.adPath);
        delegate.errors.clear();
        auto request = requestFor(row.answer, row.adPath);
        banner->loadRequest(request.get());
        ASSERT_TRUE(waitUntilSettled());
        EXPECT_EQ(object().state(), row.state);
        EXPECT_EQ(delegate.errors, (std::vector<long> { row.code }));
        std::vector<std::string> lines = platform::Console::takeLines();
        if (row.line.empty()) {
            EXPECT_TRUE(lines.empty()) << lines.front();
        } else {
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0].rfind(row.line, 0), 0u) << lines[0];
        }
        EXPECT_TRUE(banner->webView().isHidden()) << "no ad was ever shown";
    }

    // Nothing listens on a closed port: a network error.
    const std::string closed = closedPortOrigin();
    delegate.errors.clear();
    auto request = ADSRequest::request();
    request->setAdditionalParameters(platform::Dictionary { { "ad", closed + "/ad" } });
    banner->loadRequest(request.get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));

    // The core script cannot be had and there is no older copy: state 2.
    setenv("TOLVANE_ADS_STATIC_URL", closed.c_str(), 1);
    makeBanner();
    delegate.errors.clear();
    platform::UserDefaults::standard().removeObject("ads_stats_ADSObjectPrivate");
    ADSCachedFile(nullptr, *platform::Url::fromString(closed + "/ads/sdk-core-v40.js")).invalidate();
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::ScriptFailed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));

    // With an older copy on disk the load goes on from it.
    ADSCachedFile stale(nullptr, *platform::Url::fromString(closed + "/ads/sdk-core-v40.js"));
    ASSERT_TRUE(platform::FileSystem::createDirectories(platform::FileSystem::deletingLastPathComponent(stale.filePath())));
    ASSERT_TRUE(platform::FileSystem::writeAtomically(stale.filePath(), kTestCoreScript));
    platform::UserDefaults::standard().removeObject("ads_stats_ADSObjectPrivate");
    delegate.errors.clear();
    states.clear();
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    setenv("TOLVANE_ADS_STATIC_URL", coreServer->origin().c_str(), 1);
    EXPECT_EQ(object().state(), S::AdShown);
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_NE(std::find(states.begin(), states.end(), S::ScriptFailed), states.end());
    stale.invalidate();
}

TEST_F(ADSObjectPrivateTest, OldSystemsAndLoadsDuringALoadAreRefused)
{
    platform::Device::current().overrideSystemVersion("2.2.1");
    banner->loadRequest(requestFor("loadAdURL").get());
    platform::Device::current().overrideSystemVersion(std::nullopt);
    EXPECT_EQ(object().state(), S::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 4 }));
    EXPECT_EQ(scriptFetches(), 0u);

    // Every busy state turns away a load asked for in it.
    delegate.errors.clear();
    auto competing = requestFor("unableToServe");
    std::set<int32_t> tried;
    object().setStateObserver([&](int32_t s) {
        if (object().isMakingRequest() && tried.insert(s).second)
            banner->loadRequest(competing.get());
    });
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(tried, (std::set<int32_t> { S::FetchingScript, S::BuildingAdURL, S::DownloadingAd, S::ShowingAd }));
    EXPECT_EQ(object().state(), S::AdShown) << "the loads asked for meanwhile were dropped";
    EXPECT_EQ(object().request()->counter(), 1);
    EXPECT_TRUE(delegate.errors.empty());
    banner->loadRequest(requestFor("unableToServe").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(delegate.errors, (std::vector<long> { 0 })) << "after state 6 a new load starts";
}

TEST_F(ADSObjectPrivateTest, TheCoreScriptIsKeptForADayThenRevalidated)
{
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(newScriptRequests(), (std::vector<std::pair<std::string, int>> { { "/ads/sdk-core-v40.js", 200 } }));
    ADSStatisticsCore store("ADSObjectPrivate");
    ASSERT_TRUE(store.dateForKey("expireDate"));
    EXPECT_EQ(store.dateForKey("expireDate")->asDate().secondsSince1970, platform::Clock::shared().now() + 86400);

    // Within the day: no fetch, and no passing through state 1.
    advance(86000);
    states.clear();
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(states, (std::vector<int32_t> { S::BuildingAdURL, S::BuildingAdURL, S::DownloadingAd, S::ShowingAd, S::AdShown }));
    EXPECT_EQ(scriptFetches(), 1u);

    // An empty cache is fetched at once, date or not.
    ADSCachedFile(nullptr, *platform::Url::fromString(coreServer->origin() + "/ads/sdk-core-v40.js")).invalidate();
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    ASSERT_EQ(scriptFetches(), 2u);
    EXPECT_EQ(newScriptRequests().back().second, 200);

    // A day later the copy is revalidated with its date, and kept on 304.
    advance(86401);
    banner->loadRequest(requestFor("loadAdURL").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    ASSERT_EQ(scriptFetches(), 3u);
    EXPECT_EQ(newScriptRequests().back().second, 304) << "If-Modified-Since carried the file's date";
}

TEST_F(ADSObjectPrivateTest, RefreshFollowsTheHeaderAndPausesInTheBackgroundAndUnderFullScreenContent)
{
    platform::Application& app = platform::Application::shared();
    app.finishLaunching();
    banner->loadRequest(requestFor("loadAdURL", "/ad?refresh=30").get());
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(object().reloadSeconds(), 30);
    EXPECT_FALSE(object().hasAutoRefreshed());

    advance(29.5);
    EXPECT_EQ(adRequests().size(), 1u);
    advance(1);
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(adRequests().size(), 2u);
    EXPECT_EQ(queryValue(adRequests()[1].path, "preqs"), "2") << "the held request went again with the next count";
    EXPECT_TRUE(object().hasAutoRefreshed());
    EXPECT_EQ(delegate.received, 2);

    // In the background: no timer and no loads; back: a full new interval.
    app.enterBackground();
    EXPECT_FALSE(object().isReloadScheduled());
    advance(100);
    banner->loadRequest(requestFor("loadAdURL", "/ad?refresh=30").get());
    EXPECT_EQ(object().state(), S::AdShown) << "a load asked for in the background is dropped";
    app.enterForeground();
    advance(29.5);
    EXPECT_EQ(adRequests().size(), 2u);
    advance(1);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(adRequests().size(), 3u);

    // Full-screen content suspends it the same way.
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(ADSViewControllerWillPresentFullScreen, &root);
    advance(100);
    EXPECT_EQ(adRequests().size(), 3u);
    center.post(ADSViewControllerDidRelinquishFullScreen, &root);
    advance(29.5);
    EXPECT_EQ(adRequests().size(), 3u);
    advance(1);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(adRequests().size(), 4u);

    // A load the application asks for clears the refresh mark.
    banner->loadRequest(requestFor("loadAdURL", "/ad?refresh=0").get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_FALSE(object().hasAutoRefreshed());
    EXPECT_FALSE(object().isReloadScheduled()) << "a zero interval schedules nothing";
    EXPECT_EQ(object().reloadSeconds(), 30) << "and keeps the last interval";
}

TEST_F(ADSObjectPrivateTest, ARefreshDueWhileLoadingDoesNothingAndASilentScriptTimesOut)
{
    banner->loadRequest(requestFor("loadAdURL", "/ad?refresh=30").get());
    ASSERT_TRUE(waitUntilSettled());
    advance(10);
    banner->loadRequest(requestFor("silent").get());
    ASSERT_TRUE(waitForState(S::BuildingAdURL));
    pumpFor(0.5);
    advance(20.5); // the refresh falls due while the script is still silent
    EXPECT_EQ(object().state(), S::BuildingAdURL);
    EXPECT_FALSE(object().isReloadScheduled()) << "a refresh during a load schedules nothing";
    EXPECT_EQ(adRequests().size(), 1u);

    advance(10); // the script's time is up
    EXPECT_EQ(object().state(), S::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 5 }));
    EXPECT_FALSE(object().hasBuildAdWebView());
    EXPECT_EQ(platform::Console::takeLines(), (std::vector<std::string> { "<Ads> The core script gave no ad URL within 30 seconds" }));

    // The next relinquish event schedules again, with the last interval.
    platform::NotificationCenter::defaultCenter().post(ADSViewControllerDidRelinquishFullScreen, &root);
    EXPECT_TRUE(object().isReloadScheduled());
}

TEST_F(ADSObjectPrivateTest, ImpressionsArePingedOncePerShownAdAndTrackersAreCleanedUp)
{
    banner->loadRequest(requestFor("loadAdURL", "/ad?refresh=0").get());
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(object().state(), S::AdShown);
    const std::string base = adServer->url("");
    EXPECT_EQ(object().pendingTrackingURLs(), (std::vector<platform::Url> { *platform::Url::fromString(base + "/content/impression") }));
    EXPECT_EQ(object().pendingClickURLs(), (std::vector<platform::Url> { *platform::Url::fromString(base + "/content/click") }));
    ASSERT_TRUE(pumpUntil([&] { return object().pendingTrackers() == 0; }));
    pumpFor(0.3);
    EXPECT_EQ(recordedRequests(*adServer, "/content/impression").size(), 1u);
    EXPECT_TRUE(recordedRequests(*adServer, "/content/click").empty()) << "clicks are tracked only on a click";

    banner->loadRequest(requestFor("loadAdURL", "/ad?refresh=0").get());
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_TRUE(pumpUntil([&] { return object().pendingTrackers() == 0; }));
    EXPECT_EQ(recordedRequests(*adServer, "/content/impression").size(), 2u);
    EXPECT_EQ(object().pendingTrackingURLs().size(), 1u) << "each ad starts its own list";
}

TEST_F(ADSObjectPrivateTest, HeaderValuesAreReadDefensively)
{
    std::optional<std::vector<platform::Url>> urls;
    ADSObjectPrivate::appendURLsFromHeader(urls, "http://a.example/1  /imp\t http://b.example/%zz ",
        *platform::Url::fromString("http://127.0.0.1:9/ad?x=1"));
    ASSERT_TRUE(urls);
    EXPECT_EQ(*urls, (std::vector<platform::Url> { *platform::Url::fromString("http://a.example/1"),
                         *platform::Url::fromString("http://127.0.0.1:9/imp") }));
    EXPECT_EQ(ADSObjectPrivate::refreshSecondsFromHeader(" 12.5 "), 12.5);
    for (const char* bad : { "-5", "nan", "inf", "soon" })
        EXPECT_EQ(ADSObjectPrivate::refreshSecondsFromHeader(bad), 0) << bad;
}

TEST_F(ADSObjectPrivateTest, ParametersCannotBreakOutOfTheBuildAdPage)
{
    const std::string hostile = "</script><script>window.location.href='amsg://ads/invalidRequest'</script><!-- \u2028\u2029 <b>";
    const std::string escaped = ADSObjectPrivate::escapeForScriptElement(
        ADSMacros::jsonify(platform::Value(platform::Dictionary { { "echo", hostile } })));
    EXPECT_EQ(escaped.find('<'), std::string::npos) << escaped;
    EXPECT_EQ(escaped.find("\u2028"), std::string::npos);
    EXPECT_EQ(escaped.find("\u2029"), std::string::npos);
    ADS_KVJSON json;
    auto back = json.objectWithString(escaped);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->asDictionary().get("echo").asString(), hostile) << "the escapes read back as the same text";

    auto request = requestFor("loadAdURL");
    platform::Dictionary extras = *request->additionalParameters();
    extras.set("echo", hostile);
    request->setAdditionalParameters(extras);
    banner->loadRequest(request.get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    ASSERT_EQ(adRequests().size(), 1u);
    EXPECT_EQ(queryValue(adRequests()[0].path, "echo"), hostile) << "the script got the value whole";
}

}
