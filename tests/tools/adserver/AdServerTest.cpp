// The local ad network as the ad library meets it: the core script run in a
// real web view answers through the bridge, the ad HTML comes with its
// headers, failure modes and revalidation, and tracking hits are counted.
#include "ads/network/LocalServerTest.h"
#include "platform/Url.h"
#include "platform/net/UrlConnection.h"
#include "platform/ui/WebView.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <strings.h>

using namespace platform;

namespace {

[[maybe_unused]] const bool kSchemesRegistered = [] {
    WebView::registerSchemes({ "amsg" });
    return true;
}();

const std::string kSlot = "a14d9c0e7f3b2a1";

struct Message {
    std::string name;
    std::map<std::string, std::string> fields;
};

// Runs the core script the way the banner does and collects its bridge messages.
struct Builder final : WebViewDelegate {
    std::vector<Message> messages;
    bool shouldStartLoadWithRequest(WebView&, const UrlRequest& request, NavigationType) override
    {
        auto url = Url::fromString(request.url);
        if (!url || url->scheme() != "amsg")
            return true;
        Message m { url->path().substr(1), {} };
        std::stringstream query(url->query());
        std::string pair;
        while (std::getline(query, pair, '&')) {
            size_t eq = pair.find('=');
            m.fields[pair.substr(0, eq)] = Url::percentUnescape(eq == std::string::npos ? "" : pair.substr(eq + 1)).value_or("?");
        }
        messages.push_back(m);
        return false;
    }
};

std::string coreScript()
{
    std::ifstream in(std::string(TOLVANE_SOURCE_DIR) + "/resources/ads/sdk-core-v40.js");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Fetched {
    int status = 0;
    HeaderList headers;
    std::string body;
    double seconds = 0;
    std::string header(const std::string& name) const
    {
        for (const auto& [n, v] : headers)
            if (strcasecmp(n.c_str(), name.c_str()) == 0)
                return v;
        return {};
    }
};

struct Fetcher final : UrlConnectionDelegate {
    Fetched result;
    bool done = false;
    void didReceiveResponse(UrlConnection&, const UrlResponse& r) override
    {
        result.status = r.statusCode;
        result.headers = r.headers;
    }
    void didReceiveData(UrlConnection&, std::string_view chunk) override { result.body.append(chunk); }
    void didFinishLoading(UrlConnection&) override { done = true; }
    void didFailWithError(UrlConnection&, const Error&) override { done = true; }
};

Fetched get(const std::string& url, const HeaderList& headers = {})
{
    UrlRequest request;
    request.url = url;
    request.headers = headers;
    Fetcher f;
    auto start = std::chrono::steady_clock::now();
    auto connection = UrlConnection::start(request, &f);
    pumpUntil([&] { return f.done; }, 20);
    f.result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return f.result;
}

class AdServerTest : public LocalServerTest {
protected:
    Message build(const std::string& parameters)
    {
        Builder builder;
        WebView view(Rect { 0, 0, 1, 1 });
        view.setHidden(true);
        view.setDelegate(&builder);
        view.loadHTMLString("<html><head><script>" + coreScript() + "</script><script>ADS_buildAdURL(" + parameters
                + ");</script></head><body></body></html>",
            server->url("/"));
        pumpUntil([&] { return !builder.messages.empty(); }, 15);
        pumpFor(0.3);
        EXPECT_EQ(builder.messages.size(), 1u) << "the script answers once";
        return builder.messages.empty() ? Message {} : builder.messages[0];
    }
    std::string params(const std::string& slot = kSlot)
    {
        return "{\"slotname\":\"" + slot + "\",\"preqs\":3,\"ad_frame\":{\"x\":0,\"y\":430,\"w\":320,\"h\":50},\"kw\":[\"a\"]}";
    }
};

}

TEST_F(AdServerTest, CoreScriptAnswersThroughTheBridge)
{
    Message ad = build(params());
    ASSERT_EQ(ad.name, "loadAdURL");
    EXPECT_EQ(ad.fields["url"].rfind(server->url("/ads/banner?"), 0), 0u) << ad.fields["url"];
    EXPECT_NE(ad.fields["url"].find("preqs=3"), std::string::npos);
    EXPECT_TRUE(ad.fields["type"] == "adnet" || ad.fields["type"] == "adtext") << ad.fields["type"];

    Message badSlot = build(params("NOT-A-SLOT"));
    EXPECT_EQ(badSlot.name, "invalidRequest");
    EXPECT_FALSE(badSlot.fields["reason"].empty());
    EXPECT_EQ(build("null").name, "invalidRequest");

    server->fetch("/__mode?fail=invalid");
    EXPECT_EQ(build(params()).name, "invalidRequest");
    server->fetch("/__mode?fail=unable");
    EXPECT_EQ(build(params()).name, "unableToServe");
    server->fetch("/__mode?fail=none");

    // With no server behind the page, the script still answers.
    Builder builder;
    WebView view(Rect { 0, 0, 1, 1 });
    view.setDelegate(&builder);
    view.loadHTMLString("<script>" + coreScript() + "</script><script>ADS_buildAdURL(" + params() + ");</script>",
        "http://127.0.0.1:1/");
    ASSERT_TRUE(pumpUntil([&] { return !builder.messages.empty(); }, 15));
    EXPECT_EQ(builder.messages[0].name, "unableToServe");
}

TEST_F(AdServerTest, HouseAdsRotateWithTheirHeadersAndTrackingIsCounted)
{
    std::vector<std::string> ads;
    std::set<std::string> withClickTracking, withoutClickTracking;
    for (int i = 0; i < 4; ++i) {
        Message m = build(params());
        ASSERT_EQ(m.name, "loadAdURL");
        Fetched ad = get(m.fields["url"]);
        ASSERT_EQ(ad.status, 200);
        EXPECT_NE(ad.body.find("<a href="), std::string::npos);
        EXPECT_EQ(ad.header("X-Ads-Refresh-Rate"), "30");
        std::string tracking = ad.header("X-Ads-Tracking-Urls");
        ASSERT_EQ(tracking.rfind(server->url("/track/impression?ad="), 0), 0u) << tracking;
        std::string id = tracking.substr(tracking.find("ad=") + 3, tracking.find('&') - tracking.find("ad=") - 3);
        ads.push_back(id);
        (ad.header("X-Ads-Click-Tracking-Urls").empty() ? withoutClickTracking : withClickTracking).insert(id);
        ASSERT_EQ(get(tracking).status, 200);
    }
    EXPECT_EQ(std::set<std::string>(ads.begin(), ads.begin() + 3).size(), 3u) << "three different ads in turn";
    EXPECT_EQ(ads[3], ads[0]);
    EXPECT_FALSE(withClickTracking.empty());
    EXPECT_FALSE(withoutClickTracking.empty()) << "one ad opens in the browser, without click tracking";

    std::string stats = server->fetch("/stats");
    EXPECT_NE(stats.find("\"impression\": {\"" + ads[0] + "\": 2"), std::string::npos) << stats;
    EXPECT_NE(stats.find("\"build\": 4"), std::string::npos) << stats;
}

TEST_F(AdServerTest, FailureModesAndRevalidation)
{
    const std::string banner = server->url("/ads/banner?ad=pro&rid=1&slot=" + kSlot);
    EXPECT_EQ(get(server->url("/ads/banner?ad=pro&rid=1&slot=BAD")).status, 400);
    server->fetch("/__mode?fail=400");
    EXPECT_EQ(get(banner).status, 400);
    server->fetch("/__mode?fail=500");
    Fetched failed = get(banner);
    EXPECT_EQ(failed.status, 500);
    EXPECT_EQ(failed.header("X-Ads-Refresh-Rate"), "30") << "a failed ad still says when to ask again";
    server->fetch("/__mode?fail=empty");
    Fetched empty = get(banner);
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.body.find_first_not_of(" \t\r\n"), std::string::npos);
    server->fetch("/__mode?fail=slow&slow=0.6");
    Fetched slow = get(banner);
    EXPECT_EQ(slow.status, 200);
    EXPECT_GE(slow.seconds, 0.6);
    server->fetch("/__mode?fail=core");
    EXPECT_EQ(get(server->url("/ads/sdk-core-v40.js")).status, 503);
    server->fetch("/__reset");
    EXPECT_EQ(get(banner).status, 200) << "a reset brings the run's own mode back";

    Fetched script = get(server->url("/ads/sdk-core-v40.js"));
    ASSERT_EQ(script.status, 200);
    EXPECT_EQ(script.body, coreScript());
    std::string modified = script.header("Last-Modified");
    ASSERT_FALSE(modified.empty());
    EXPECT_EQ(get(server->url("/ads/sdk-core-v40.js"), { { "If-Modified-Since", modified } }).status, 304);
    // The library sends the date without its zone.
    EXPECT_EQ(get(server->url("/ads/sdk-core-v40.js"), { { "If-Modified-Since", modified.substr(0, modified.size() - 4) } }).status, 304);
    EXPECT_EQ(get(server->url("/ads/sdk-core-v40.js"), { { "If-Modified-Since", "Sat, 01 Jan 2000 00:00:00 GMT" } }).status, 200);
}
