// The HTTP connection itself: the delegate's say over every hop, the redirect
// limit, headers sent, and a delegate that drops the connection mid-call.
#include "platform/net/UrlConnection.h"
#include "LocalServerTest.h"
#include "RecordedRequests.h"
#include "../../../platform/qt/net/NetworkAccess.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using platform::UrlConnection;
using platform::UrlRequest;
using platform::UrlResponse;

UrlRequest requestFor(std::string url)
{
    UrlRequest request;
    request.url = std::move(url);
    return request;
}

struct Recorder : platform::UrlConnectionDelegate {
    std::vector<std::string> events;
    std::string body;
    std::optional<platform::Error> error;
    bool finished = false;
    bool stopAtFirstRequest = false;
    std::unique_ptr<UrlConnection>* dropOnResponse = nullptr; // not owned

    std::optional<UrlRequest> willSendRequest(UrlConnection&, const UrlRequest& request, const UrlResponse* redirect) override
    {
        events.push_back(redirect ? "redirect " + std::to_string(redirect->statusCode) : "request");
        if (!redirect && stopAtFirstRequest)
            return std::nullopt;
        return request;
    }
    void didReceiveResponse(UrlConnection&, const UrlResponse& response) override
    {
        events.push_back("response " + std::to_string(response.statusCode));
        if (dropOnResponse)
            dropOnResponse->reset();
    }
    void didReceiveData(UrlConnection&, std::string_view chunk) override
    {
        if (events.back() != "data")
            events.push_back("data");
        body.append(chunk);
    }
    void didFinishLoading(UrlConnection&) override
    {
        events.push_back("finish");
        finished = true;
    }
    void didFailWithError(UrlConnection&, const platform::Error& e) override
    {
        events.push_back("fail");
        error = e;
    }
    bool done() const { return finished || error.has_value(); }
};

// Threads of this process whose name starts with `prefix` (Linux names them in /proc).
int threadsNamed(const std::string& prefix)
{
    int n = 0;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        std::ifstream in(task.path() / "comm");
        std::string name;
        if (std::getline(in, name) && name.rfind(prefix, 0) == 0)
            ++n;
    }
    return n;
}

class UrlConnectionTest : public LocalServerTest { };

TEST_F(UrlConnectionTest, ResponseComesBeforeBodyAndHeadersAreSent)
{
    Recorder r;
    UrlRequest req;
    req.url = server->url("/content/hello?body=hi%20there");
    req.setHeader("User-Agent", "TolvaneTest/1");
    req.setHeader("user-agent", "TolvaneTest/2"); // same header, other case: replaced
    req.setHeader("Referer", "http://ref.example/");
    auto c = UrlConnection::start(req, &r);
    ASSERT_TRUE(c);
    ASSERT_TRUE(pumpUntil([&] { return r.done(); }));
    EXPECT_EQ(r.events, (std::vector<std::string> { "request", "response 200", "data", "finish" }));
    EXPECT_EQ(r.body, "hi there");
    EXPECT_FALSE(c->isRunning());
    auto seen = recordedRequests(*server, "/content/hello");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].header("User-Agent"), "TolvaneTest/2");
    EXPECT_EQ(seen[0].header("Referer"), "http://ref.example/");
}

TEST_F(UrlConnectionTest, RedirectChainsStopAfterTwentyHops)
{
    {
        Recorder r;
        auto c = UrlConnection::start(requestFor(server->url("/chain/20")), &r);
        ASSERT_TRUE(pumpUntil([&] { return r.done(); }));
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.body, "end of chain");
        EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "redirect 302"), 20);
    }
    server->fetch("/__reset");
    {
        Recorder r;
        auto c = UrlConnection::start(requestFor(server->url("/chain/21")), &r);
        ASSERT_TRUE(pumpUntil([&] { return r.done(); }));
        ASSERT_TRUE(r.error.has_value());
        EXPECT_EQ(r.error->code, platform::URLErrorHTTPTooManyRedirects);
        EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "redirect 302"), 20);
        EXPECT_TRUE(recordedRequests(*server, "/chain/0").empty());
    }
}

TEST_F(UrlConnectionTest, TheDelegateCanStopBeforeTheFirstByteIsSent)
{
    Recorder r;
    r.stopAtFirstRequest = true;
    auto c = UrlConnection::start(requestFor(server->url("/content/never")), &r);
    pumpFor(0.3);
    EXPECT_EQ(r.events, (std::vector<std::string> { "request" }));
    EXPECT_FALSE(c->isRunning());
    EXPECT_TRUE(recordedRequests(*server, "/content/never").empty());
}

TEST_F(UrlConnectionTest, TheDelegateMayDestroyTheConnectionInsideACallback)
{
    Recorder r;
    std::unique_ptr<UrlConnection> c;
    r.dropOnResponse = &c;
    c = UrlConnection::start(requestFor(server->url("/big?size=300000")), &r);
    ASSERT_TRUE(pumpUntil([&] { return c == nullptr; }));
    pumpFor(0.2);
    EXPECT_EQ(r.events, (std::vector<std::string> { "request", "response 200" }));
}

TEST_F(UrlConnectionTest, OnlyHttpUrlsCanBeStarted)
{
    Recorder r;
    EXPECT_FALSE(UrlConnection::start(requestFor("itms-apps://x.example/1"), &r));
    EXPECT_FALSE(UrlConnection::start(requestFor("not a url"), &r));
    EXPECT_FALSE(UrlConnection::start(requestFor(""), &r));
    EXPECT_TRUE(r.events.empty());
}

TEST_F(UrlConnectionTest, ARedirectToAnotherSchemeFailsAsUnsupported)
{
    Recorder r;
    auto c = UrlConnection::start(requestFor(server->url("/redirect?to=ftp://files.example/x")), &r);
    ASSERT_TRUE(pumpUntil([&] { return r.done(); }));
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->code, platform::URLErrorUnsupportedURL);

    // A 200 whose body cannot be decoded is a failure, not a short success
    // that a cache would keep as whole.
    Recorder broken;
    auto d = UrlConnection::start(requestFor(server->url("/badgzip")), &broken);
    ASSERT_TRUE(pumpUntil([&] { return broken.done(); }));
    EXPECT_FALSE(broken.finished) << broken.body.size() << " bytes kept";
    EXPECT_TRUE(broken.error.has_value());
}

}

// The session takes the network down before the application object goes;
// a connection caught mid-body must neither crash nor hear anything more, and
// a later request gets a fresh manager.
TEST_F(UrlConnectionTest, ReleasingNetworkAccessMidRequestDropsItAndLaterRequestsStillWork)
{
    Recorder stalled;
    UrlRequest req;
    req.url = server->url("/stall?bytes=10");
    auto c = UrlConnection::start(req, &stalled);
    ASSERT_TRUE(c);
    ASSERT_TRUE(pumpUntil([&] { return stalled.body.size() == 10; }));
    EXPECT_EQ(threadsNamed("QNetworkAccessM"), 1);
    platform::releaseNetworkAccess();
    // Qt's HTTP worker thread is gone once the release returns (allowing it a
    // moment to leave the thread after signalling that it finished).
    ASSERT_TRUE(pumpUntil([] { return threadsNamed("QNetworkAccessM") == 0; }, 2));
    pumpFor(0.2);
    EXPECT_FALSE(stalled.done());
    c->cancel();
    c.reset();

    Recorder later;
    req.url = server->url("/content/again?body=fresh");
    auto d = UrlConnection::start(req, &later);
    ASSERT_TRUE(d);
    ASSERT_TRUE(pumpUntil([&] { return later.done(); }));
    EXPECT_TRUE(later.finished);
    EXPECT_EQ(later.body, "fresh");
}
