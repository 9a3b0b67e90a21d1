// The banner's loading state machine against the local ad network on
// 127.0.0.1, in a real web engine: the states of a load, the error of every
// failure, the one-day script cache, the parameters the script gets, refresh
// and its suspension, tracking pings, and the build-ad page's embedding.
#include "ads/support/BannerFixture.h"
#include "Network/ADSNetworkChecker.h"
#include "Statistics/ADSStatistics.h"
#include "Statistics/ADSStatisticsCore.h"
#include "ViewController/ADSViewController.h"
#include "Utility/ADSMacros.h"
#include "platform/FileSystem.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/net/BackgroundTasks.h"
#include "platform/net/Device.h"
#include "platform/net/Reachability.h"
#include "platform/ui/Application.h"
#include <set>

namespace {

using S = ADSObjectPrivate::State;

class ADSObjectPrivateTest : public BannerFixture {
protected:
    // Puts a script on disk as the cached core script, fresh for the day.
    void cacheCoreScript(const std::string& text)
    {
        ADSCachedFile file(nullptr, coreScriptURL());
        ASSERT_TRUE(platform::FileSystem::createDirectories(platform::FileSystem::deletingLastPathComponent(file.filePath())));
        ASSERT_TRUE(platform::FileSystem::writeAtomically(file.filePath(), ADSCachedFile::storedForm(text)));
    }
};

TEST_F(ADSObjectPrivateTest, ALoadGoesThroughEveryStateAndTheScriptGetsEveryParameter)
{
    ADSNetworkChecker::sharedChecker();
    platform::Reachability::postReport(platform::Reachability::kReachable);
    platform::RunLoop::main().runPending();
    auto request = ADSRequest::request();
    request->addKeyword("commander");
    request->setBirthdayWithMonth(3, 7, 1980);
    request->setAdditionalParameters(std::make_shared<const platform::Dictionary>(platform::Dictionary { { "theme", "dark" } }));
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
    EXPECT_EQ(hits("banner"), 1);

    auto sent = builtParameters();
    ASSERT_EQ(sent.size(), 1u);
    const platform::Dictionary& p = sent[0];
    EXPECT_EQ(p.get("js").asString(), "ads-sdk-i-v4.1.0");
    EXPECT_EQ(p.get("preqs").asInt64(), 1);
    EXPECT_EQ(p.get("slotname").asString(), "a14d9c0e7f3b2a1");
    EXPECT_EQ(ADSMacros::jsonify(p.get("ad_frame")), R"({"x":0,"y":430,"w":320,"h":50})");
    EXPECT_EQ(p.get("net").asString(), "wi");
    EXPECT_EQ(p.get("extras").asDictionary().get("theme").asString(), "dark");
    EXPECT_EQ(p.get("kw"), platform::Value(platform::Array { "commander" }));
    EXPECT_EQ(p.get("cust_age").asString(), "19800307");
    EXPECT_TRUE(p.contains("ptime") && p.contains("isu") && p.contains("u_so"));
    EXPECT_FALSE(p.contains("format"));

    auto ads = recordedRequests(*server, "/ads/banner");
    ASSERT_EQ(ads.size(), 1u);
    EXPECT_NE(ads[0].path.find("&ms="), std::string::npos) << "the signals entry rides on the ad URL: " << ads[0].path;
    EXPECT_EQ(ads[0].header("User-Agent").rfind("Mozilla/5.0", 0), 0u) << "downloads send the engine's agent";

    // The next request reports the last one's latency and, the shown ad
    // having been clicked (as the banner's delegate counts a click), the
    // time from its display to the click.
    ADSStatistics::sharedStatistics().urlForClick(*platform::Url::fromString(server->url("/landing/browser")));
    load();
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(builtParameters().size(), 2u);
    EXPECT_TRUE(builtParameters()[1].contains("prl"));
    EXPECT_TRUE(builtParameters()[1].contains("ppcl"));
    EXPECT_EQ(builtParameters()[1].get("preqs").asInt64(), 2);
}

TEST_F(ADSObjectPrivateTest, EveryFailureEndsInItsStateWithItsCode)
{
    struct Row {
        std::string fail;
        long code;
        std::string line;
    };
    const std::vector<Row> rows = {
        { "invalid", 0, "<Ads> Invalid Request: " },
        { "unable", 0, "<Ads> Unable to serve: " },
        { "400", 0, "<Ads> Server rejected ad parameters.  Typically this is because the ad unit ID is incorrect." },
        { "500", 3, "" },
        { "empty", 1, "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fail);
        mode("fail=" + row.fail);
        delegate.errors.clear();
        load();
        ASSERT_TRUE(waitUntilSettled());
        EXPECT_EQ(object().state(), S::Failed);
        EXPECT_EQ(delegate.errors, (std::vector<long> { row.code }));
        std::vector<std::string> lines = platform::Console::takeLines();
        ASSERT_EQ(lines.size(), row.line.empty() ? 0u : 1u);
        if (!row.line.empty()) {
            EXPECT_EQ(lines[0].rfind(row.line, 0), 0u) << lines[0];
        }
        EXPECT_TRUE(banner->webView().isHidden()) << "no ad was ever shown";
    }

    // An ad whose download has not ended after 30 seconds fails, silent or
    // trickling alike: every byte of a trickle would restart the stall timer.
    mode("fail=slow&slow=30");
    delegate.errors.clear();
    platform::Console::takeLines();
    load();
    ASSERT_TRUE(waitForState(S::DownloadingAd));
    pumpFor(0.3);
    advance(29);
    pumpFor(0.1);
    EXPECT_EQ(object().state(), S::DownloadingAd);
    advance(1.5);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 5 }));
    EXPECT_EQ(platform::Console::takeLines(), (std::vector<std::string> { "<Ads> The ad's download took longer than 30 seconds" }));

    // No core script to be had and no older copy: state 2.
    mode("fail=core");
    forgetCoreScript();
    makeBanner();
    delegate.errors.clear();
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::ScriptFailed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 2 }));

    // With an older copy on disk the load goes on from it.
    cacheCoreScript(platform::FileSystem::readFile(TOLVANE_SOURCE_DIR "/resources/ads/sdk-core-v40.js").value_or(""));
    platform::UserDefaults::standard().removeObject("ads_stats_ADSObjectPrivate");
    states.clear();
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(std::count(states.begin(), states.end(), S::ScriptFailed), 1);
    EXPECT_EQ(delegate.errors.size(), 1u) << "no new error";
}

TEST_F(ADSObjectPrivateTest, OldSystemsAndLoadsDuringALoadAreRefused)
{
    platform::Device::current().overrideSystemVersion("2.2.1");
    load();
    platform::Device::current().overrideSystemVersion(std::nullopt);
    EXPECT_EQ(object().state(), S::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 4 }));
    pumpFor(0.3);
    EXPECT_EQ(hits("core"), 0);

    // Every busy state turns away a load asked for in it.
    delegate.errors.clear();
    auto competing = ADSRequest::request();
    std::set<int32_t> tried;
    object().setStateObserver([&](int32_t s) {
        if (object().isMakingRequest() && tried.insert(s).second)
            banner->loadRequest(competing.get());
    });
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(tried, (std::set<int32_t> { S::FetchingScript, S::BuildingAdURL, S::DownloadingAd, S::ShowingAd }));
    EXPECT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(object().request()->counter(), 1);
    EXPECT_EQ(hits("build"), 1);
    mode("fail=unable");
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(delegate.errors, (std::vector<long> { 0 })) << "after state 6 a new load starts";
}

TEST_F(ADSObjectPrivateTest, TheCoreScriptIsKeptForADayThenRevalidated)
{
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(hits("core"), 1);
    const ADSStatisticsCore scriptStore("ADSObjectPrivate");
    const platform::Value* expires = scriptStore.dateForKey("expireDate");
    ASSERT_TRUE(expires);
    EXPECT_EQ(expires->asDate().secondsSince1970, platform::Clock::shared().now() + 86400);
    // The date reaches the settings file once the script's download has ended.
    auto onDisk = platform::PropertyList::readFile(platform::UserDefaults::standard().filePath());
    ASSERT_TRUE(onDisk);
    const platform::Value stored = onDisk->asDictionary().get("ads_stats_ADSObjectPrivate").asDictionary().get("expireDate");
    ASSERT_TRUE(stored.isDate());
    EXPECT_NEAR(stored.asDate().secondsSince1970, expires->asDate().secondsSince1970, 1) << "whole seconds on disk";

    // Within the day: no fetch, and no passing through state 1.
    advance(86000);
    states.clear();
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(states, (std::vector<int32_t> { S::BuildingAdURL, S::BuildingAdURL, S::DownloadingAd, S::ShowingAd, S::AdShown }));
    EXPECT_EQ(hits("core"), 1);

    // An empty cache is fetched at once, date or not.
    ADSCachedFile(nullptr, coreScriptURL()).invalidate();
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(hits("core"), 2);
    EXPECT_EQ(hits("core_not_modified"), 0);

    // A day later the copy is revalidated with its date, and kept on 304.
    advance(86401);
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(hits("core"), 3);
    EXPECT_EQ(hits("core_not_modified"), 1) << "If-Modified-Since carried the file's date";
}

TEST_F(ADSObjectPrivateTest, RefreshFollowsTheHeaderAndPausesInTheBackgroundAndUnderFullScreenContent)
{
    platform::Application& app = platform::Application::shared();
    app.finishLaunching();
    mode("refresh=30");
    load();
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(object().reloadSeconds(), 30);
    EXPECT_FALSE(object().hasAutoRefreshed());

    auto refreshesAfter = [&](double quiet, int64_t banners) {
        advance(quiet - 0.5);
        EXPECT_EQ(hits("banner"), banners - 1) << "too early";
        advance(1);
        EXPECT_TRUE(waitUntilSettled());
        EXPECT_EQ(hits("banner"), banners);
    };
    refreshesAfter(30, 2);
    EXPECT_EQ(builtParameters().back().get("preqs").asInt64(), 2) << "the held request went again with the next count";
    EXPECT_TRUE(object().hasAutoRefreshed());
    EXPECT_EQ(delegate.received, 2);

    // In the background: no timer and no loads; back: a full new interval.
    app.enterBackground();
    advance(100);
    load();
    EXPECT_EQ(object().state(), S::AdShown) << "a load asked for in the background is dropped";
    app.enterForeground();
    refreshesAfter(30, 3);

    // Full-screen content suspends it the same way.
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(ADSViewControllerWillPresentFullScreen, &root);
    advance(100);
    center.post(ADSViewControllerDidRelinquishFullScreen, &root);
    refreshesAfter(30, 4);

    // A load the application asks for clears the refresh mark; an ad without
    // the header schedules nothing and keeps the last interval.
    mode("refresh=0");
    load();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_FALSE(object().hasAutoRefreshed());
    EXPECT_EQ(object().reloadSeconds(), 30);
}

TEST_F(ADSObjectPrivateTest, ARefreshDueWhileLoadingDoesNothingAndASilentScriptTimesOut)
{
    mode("refresh=30");
    load();
    ASSERT_TRUE(waitUntilSettled());
    // The cached script now defines nothing, so the next build never answers.
    cacheCoreScript("/* no ADS_buildAdURL here */");
    advance(10);
    load();
    ASSERT_TRUE(waitForState(S::BuildingAdURL));
    pumpFor(0.5);
    advance(20.5); // the refresh falls due while the script is still silent
    EXPECT_EQ(object().state(), S::BuildingAdURL);
    EXPECT_FALSE(object().isReloadScheduled()) << "a refresh during a load schedules nothing";
    EXPECT_EQ(hits("banner"), 1);

    advance(10); // the script's time is up
    EXPECT_EQ(object().state(), S::Failed);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 5 }));
    EXPECT_FALSE(object().hasBuildAdWebView());
    EXPECT_EQ(platform::Console::takeLines(), (std::vector<std::string> { "<Ads> The core script gave no ad URL within 30 seconds" }));

    // One silent build does not end the refreshes: the next load comes after
    // the last interval.
    EXPECT_TRUE(object().isReloadScheduled());
    cacheCoreScript(platform::FileSystem::readFile(TOLVANE_SOURCE_DIR "/resources/ads/sdk-core-v40.js").value_or(""));
    advance(30.5);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    EXPECT_EQ(hits("banner"), 2);

    // An ad's page that never finishes loading (its picture never comes)
    // fails once its time is up, once, and the refreshes go on.
    mode("fail=hang");
    delegate.errors.clear();
    platform::Console::takeLines();
    load();
    ASSERT_TRUE(waitForState(S::ShowingAd));
    pumpFor(0.5);
    advance(29);
    EXPECT_EQ(object().state(), S::ShowingAd);
    advance(1.5); // the refresh falls due first, in state 5, and does nothing
    EXPECT_EQ(object().state(), S::Failed);
    pumpFor(0.5); // the stopped load's end
    EXPECT_EQ(delegate.errors, (std::vector<long> { 5 }));
    EXPECT_EQ(platform::Console::takeLines(), (std::vector<std::string> { "<Ads> The ad's page took longer than 30 seconds to load" }));
    EXPECT_TRUE(object().isReloadScheduled());
    mode("fail=none");
    advance(30.5);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
}

TEST_F(ADSObjectPrivateTest, ImpressionsArePingedOncePerShownAdAndTrackersAreCleanedUp)
{
    mode("pin=pro");
    for (int shown = 1; shown <= 2; ++shown) {
        load();
        ASSERT_TRUE(waitUntilSettled());
        ASSERT_EQ(object().state(), S::AdShown);
        ASSERT_TRUE(pumpUntil([&] { return object().pendingTrackers() == 0; }));
        EXPECT_EQ(tracked("impression", "pro"), shown);
        EXPECT_EQ(object().pendingTrackingURLs().size(), 1u) << "each ad starts its own list";
        EXPECT_EQ(object().pendingClickURLs().size(), 1u);
    }
    EXPECT_EQ(tracked("click", "pro"), 0) << "clicks are tracked only on a click";

    // A ping whose background time runs out ends without a word; it goes too.
    platform::BackgroundTasks::shared().setExpirationInterval(5);
    object().trackURLs({ *platform::Url::fromString(server->url("/stall?bytes=0")) });
    pumpFor(0.3);
    EXPECT_EQ(object().pendingTrackers(), 1u);
    advance(6);
    platform::BackgroundTasks::shared().setExpirationInterval(600);
    object().trackURLs({});
    EXPECT_EQ(object().pendingTrackers(), 0u);
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
    EXPECT_EQ(ADSObjectPrivate::refreshSecondsFromHeader("0.001"), ADSObjectPrivate::kMinimumRefreshSeconds)
        << "no loading ad after ad, back to back";

    // Every URL in a list becomes a ping: a header that lists thousands is
    // cut short, across the responses of one ad too.
    std::string many;
    for (int i = 0; i < 1000; ++i)
        many += "/imp/" + std::to_string(i) + " ";
    platform::Console::takeLines();
    ADSObjectPrivate::appendURLsFromHeader(urls, many, *platform::Url::fromString("http://127.0.0.1:9/ad"));
    ASSERT_EQ(urls->size(), ADSObjectPrivate::kMaximumTrackingURLs);
    EXPECT_EQ(urls->back().absoluteString(), "http://127.0.0.1:9/imp/" + std::to_string(ADSObjectPrivate::kMaximumTrackingURLs - 3));
    EXPECT_EQ(platform::Console::takeLines().size(), 1u);
}

TEST_F(ADSObjectPrivateTest, ParametersCannotBreakOutOfTheBuildAdPage)
{
    const std::string hostile = "</script><script>location.href='amsg://x/invalidRequest'</script><!-- \u2028\u2029 <b>";
    const std::string escaped = ADSObjectPrivate::escapeForScriptElement(
        ADSMacros::jsonify(platform::Value(platform::Dictionary { { "echo", hostile } })));
    EXPECT_EQ(escaped.find('<'), std::string::npos) << escaped;
    EXPECT_EQ(escaped.find("\u2028"), std::string::npos);
    EXPECT_EQ(escaped.find("\u2029"), std::string::npos);

    auto request = ADSRequest::request();
    request->setAdditionalParameters(std::make_shared<const platform::Dictionary>(platform::Dictionary { { "echo", hostile } }));
    banner->loadRequest(request.get());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(object().state(), S::AdShown);
    ASSERT_EQ(builtParameters().size(), 1u);
    EXPECT_EQ(builtParameters()[0].get("extras").asDictionary().get("echo").asString(), hostile)
        << "the script got the value whole";
}

}
