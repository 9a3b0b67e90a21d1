// The web view on the real engine, offscreen, against the local HTTP server.
#include "ads/network/LocalServerTest.h"
#include "platform/RunLoop.h"
#include "platform/Url.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace {

bool isMessageScheme(const std::string& url)
{
    for (const char* s : { "amsg:", "adnet:", "mailto:", "tel:" })
        if (url.rfind(s, 0) == 0)
            return true;
    return false;
}

// Registered before the engine starts, as the ad library does.
[[maybe_unused]] const bool kSchemesRegistered = [] {
    WebView::registerSchemes({ "amsg", "adnet" });
    return true;
}();

struct Recorder final : WebViewDelegate {
    struct Asked {
        UrlRequest request;
        NavigationType type;
    };
    std::vector<Asked> asked;
    std::vector<std::string> events; // "start", "finish", "fail"
    Error lastError;
    // By default pages load and message URLs are refused, as the bridge does.
    std::function<bool(const UrlRequest&)> allow = [](const UrlRequest& r) { return !isMessageScheme(r.url); };

    bool shouldStartLoadWithRequest(WebView&, const UrlRequest& request, NavigationType type) override
    {
        asked.push_back({ request, type });
        return allow(request);
    }
    void webViewDidStartLoad(WebView&) override { events.push_back("start"); }
    void webViewDidFinishLoad(WebView&) override { events.push_back("finish"); }
    void didFailLoadWithError(WebView&, const Error& e) override
    {
        events.push_back("fail");
        lastError = e;
    }
    int count(const std::string& event) const { return int(std::count(events.begin(), events.end(), event)); }
    bool ended() const { return count("finish") + count("fail") > 0; }
    const Asked* find(const std::string& urlPrefix) const
    {
        for (const auto& a : asked)
            if (a.request.url.rfind(urlPrefix, 0) == 0)
                return &a;
        return nullptr;
    }
};

UrlRequest requestFor(const std::string& url)
{
    UrlRequest r;
    r.url = url;
    return r;
}

std::string evaluate(WebView& view, const std::string& script)
{
    std::optional<std::string> result;
    view.stringByEvaluatingJavaScriptFromString(script, [&](const std::string& r) { result = r; });
    pumpUntil([&] { return result.has_value(); }, 10);
    return result.value_or("<no answer>");
}

bool evaluatesTo(WebView& view, const std::string& script, const std::string& expected, double seconds = 10)
{
    return pumpUntil([&] { return evaluate(view, script) == expected; }, seconds);
}

// Children of this process that are the engine's helper processes.
int engineProcesses()
{
    int n = 0;
    DIR* proc = opendir("/proc");
    if (!proc)
        return -1;
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9')
            continue;
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        size_t close = line.rfind(')');
        size_t open = line.find('(');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::string comm = line.substr(open + 1, close - open - 1);
        int ppid = std::atoi(line.c_str() + close + 4);
        if (ppid == getpid() && comm.rfind("QtWebEngine", 0) == 0)
            ++n;
    }
    closedir(proc);
    return n;
}

// Whether the web engine's library is mapped into this process.
bool engineLibraryMapped()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libQt6WebEngineCore") != std::string::npos)
            return true;
    return false;
}

// A port on 127.0.0.1 that nothing listens on.
int closedPort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

// A header of a request the server saw, from its JSON log; "" when absent.
std::string headerSeen(const LocalServer& server, const std::string& path, const std::string& header)
{
    std::string log = server.fetch("/__requests");
    size_t at = log.find("\"path\": \"" + path + "\"");
    if (at == std::string::npos)
        return {};
    size_t end = log.find('}', at);
    size_t h = log.find("\"" + header + "\": \"", at);
    if (h == std::string::npos || h > end)
        return {};
    h += header.size() + 5;
    return log.substr(h, log.find('"', h) - h);
}

class WebViewTest : public LocalServerTest {
protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        window.makeKeyAndVisible();
        window.addSubview(view);
        view.setDelegate(&recorder);
    }
    std::string page(const std::string& name, const std::string& html)
    {
        return server->url("/content/" + name + "?ct=html&body=" + Url::percentEscape(html));
    }
    bool loadAndWait(double seconds = 15)
    {
        return pumpUntil([&] { return recorder.ended(); }, seconds);
    }

    Window window;
    WebView view { Rect { 0, 100, 320, 50 } };
    Recorder recorder;
};

}

// Runs first, so that when the whole file runs in one process the engine has
// not started yet; ctest runs each test in a process of its own anyway.
TEST_F(WebViewTest, EngineStartsAtTheFirstLoadAndKeepsNothingOnDisk)
{
    if (engineProcesses() != 0)
        GTEST_SKIP() << "the engine already runs in this process";
    auto home = std::filesystem::temp_directory_path() / ("tolvane-webview-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "data");
    std::filesystem::create_directories(home / "cache");
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);

    WebView other(Rect { 0, 0, 320, 50 });
    window.addSubview(other);
    pumpFor(0.5);
    EXPECT_EQ(engineProcesses(), 0) << "making web views must not start the engine";
    EXPECT_FALSE(engineLibraryMapped()) << "making web views must not even load the engine";
    view.stringByEvaluatingJavaScriptFromString("1");
    pumpFor(0.1);
    EXPECT_FALSE(engineLibraryMapped()) << "script without a page needs no engine";

    view.loadHTMLString("<script>document.cookie='seen=1; max-age=86400'; localStorage.setItem('k','v');</script>",
        server->url("/"));
    ASSERT_TRUE(loadAndWait());
    EXPECT_GT(engineProcesses(), 0);
    EXPECT_EQ(evaluate(view, "document.cookie + '/' + localStorage.getItem('k')"), "seen=1/v");
    // Our web views share one jar in memory.
    other.loadHTMLString("<p>other</p>", server->url("/other"));
    EXPECT_TRUE(evaluatesTo(other, "document.cookie", "seen=1"));

    size_t files = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(home); it != std::filesystem::recursive_directory_iterator(); ++it)
        files += it->is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 0u) << "an off-the-record engine writes nothing under " << home;
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

TEST_F(WebViewTest, HtmlLoadIsReportedAsItsBaseUrlAndRunsWithThatOrigin)
{
    const std::string base = server->url("/base/page");
    view.loadHTMLString("<html><body><script>fetch('/content/fromscript?body=fetched')"
                        ".then(function(r){return r.text()}).then(function(t){document.title=t})</script></body></html>",
        base);
    EXPECT_TRUE(view.isLoading());
    ASSERT_TRUE(loadAndWait());
    ASSERT_TRUE(evaluatesTo(view, "document.title", "fetched"));

    ASSERT_EQ(recorder.asked.size(), 1u);
    const auto& asked = recorder.asked[0];
    EXPECT_EQ(asked.request.url, base);
    EXPECT_EQ(asked.type, NavigationType::Other);
    std::string agent = asked.request.header("User-Agent").value_or("");
    EXPECT_EQ(agent.rfind("Mozilla/5.0", 0), 0u) << agent;
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "finish" }));
    EXPECT_FALSE(view.isLoading());
    ASSERT_TRUE(view.request());
    EXPECT_EQ(view.request()->url, base);
    // The page's own request went out with the same agent, from the base URL.
    EXPECT_EQ(headerSeen(*server, "/content/fromscript?body=fetched", "User-Agent"), agent);
    EXPECT_EQ(headerSeen(*server, "/content/fromscript?body=fetched", "Referer"), base);

    // Without a base URL the page is "about:blank".
    recorder.events.clear();
    view.loadHTMLString("<p>plain</p>", std::nullopt);
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.asked.back().request.url, "about:blank");
}

TEST_F(WebViewTest, MessageNavigationsReachTheDelegateFirstAndNeverFailTheLoad)
{
    // Script in the head navigates before the page is parsed; a hidden frame
    // sends another message.
    view.loadHTMLString("<html><head><script>"
                        "var f=document.createElement('iframe');f.style.display='none';"
                        "f.src='adnet://log?string=framed';document.documentElement.appendChild(f);"
                        "location.href='amsg://bridge/loadAdURL?url=http%3A%2F%2Fx%2Fad&type=adnet';"
                        "</script></head><body></body></html>",
        server->url("/builder"));
    ASSERT_TRUE(loadAndWait());
    ASSERT_TRUE(pumpUntil([&] { return recorder.find("adnet://") != nullptr; }));
    pumpFor(0.5);
    const auto* early = recorder.find("amsg://bridge/loadAdURL");
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->request.url, "amsg://bridge/loadAdURL?url=http%3A%2F%2Fx%2Fad&type=adnet");
    EXPECT_EQ(early->type, NavigationType::Other);
    EXPECT_TRUE(early->request.header("User-Agent"));
    EXPECT_EQ(recorder.find("adnet://")->request.url, "adnet://log?string=framed");
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "finish" }));
    EXPECT_EQ(view.request()->url, server->url("/builder"));

    // After the load: a link the user clicks, then script. None of them loads
    // anything or reports a load; a scheme nobody registered is dropped.
    recorder.asked.clear();
    recorder.events.clear();
    view.loadHTMLString("<body id='ad' style='margin:0'><a href='mailto:team@tolvane.org'>write</a></body>", server->url("/ad"));
    ASSERT_TRUE(loadAndWait());
    recorder.events.clear();
    std::optional<bool> clicked;
    view.simulateClickOnFirstLink([&](bool c) { clicked = c; });
    ASSERT_TRUE(pumpUntil([&] { return recorder.find("mailto:") != nullptr; }));
    EXPECT_EQ(clicked, true);
    EXPECT_EQ(recorder.find("mailto:")->type, NavigationType::LinkClicked);
    evaluate(view, "location.href='tel:+15550100'; setTimeout(function(){location.href='tolvanetest:x'},50);"
                   "setTimeout(function(){location.href='amsg://bridge/late'},100); 1");
    ASSERT_TRUE(pumpUntil([&] { return recorder.find("amsg://bridge/late") != nullptr; }));
    pumpFor(0.5);
    EXPECT_EQ(recorder.find("tel:")->type, NavigationType::Other) << "script is not the user's click";
    EXPECT_EQ(recorder.find("amsg://bridge/late")->type, NavigationType::Other);
    EXPECT_EQ(recorder.find("tolvanetest:"), nullptr);
    EXPECT_TRUE(recorder.events.empty()) << recorder.events.size() << " load events";
    EXPECT_EQ(evaluate(view, "document.body.id"), "ad") << "the page stays";
    EXPECT_FALSE(view.isLoading());
}

TEST_F(WebViewTest, RequestsCarryTheirHeadersAndHistoryMovesAreTyped)
{
    const std::string first = page("one", "<a href='/content/two?ct=html&body=two'>next</a>"
                                          "<form action='/content/three'><input name='q' value='x'></form>");
    UrlRequest request = requestFor(first);
    request.setHeader("Referer", server->url("/referrer/page"));
    request.setHeader("X-Tolvane", "7");
    // Refused, our own load changes nothing; asked again later, it loads.
    auto usual = recorder.allow;
    recorder.allow = [](const UrlRequest&) { return false; };
    view.loadRequest(request);
    ASSERT_TRUE(pumpUntil([&] { return !recorder.asked.empty(); }));
    pumpFor(0.3);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(view.isLoading());
    EXPECT_FALSE(view.request());
    recorder.allow = usual;
    recorder.asked.clear();
    view.loadRequest(request);
    ASSERT_TRUE(loadAndWait());
    ASSERT_FALSE(recorder.asked.empty());
    EXPECT_EQ(recorder.asked[0].request.url, first);
    EXPECT_EQ(recorder.asked[0].type, NavigationType::Other);
    EXPECT_EQ(recorder.asked[0].request.header("X-Tolvane"), "7");
    std::string path = first.substr(first.find("/content/"));
    EXPECT_EQ(headerSeen(*server, path, "Referer"), server->url("/referrer/page"));
    EXPECT_EQ(headerSeen(*server, path, "X-Tolvane"), "7");
    EXPECT_EQ(headerSeen(*server, path, "User-Agent"), recorder.asked[0].request.header("User-Agent"));
    EXPECT_EQ(view.request()->header("X-Tolvane"), "7");

    auto step = [&](const std::function<void()>& act) {
        recorder.events.clear();
        act();
        return loadAndWait() && recorder.events.back() == "finish";
    };
    ASSERT_TRUE(step([&] { view.simulateClickOnFirstLink({}); }));
    EXPECT_EQ(recorder.asked.back().request.url, server->url("/content/two?ct=html&body=two"));
    EXPECT_EQ(recorder.asked.back().type, NavigationType::LinkClicked);
    EXPECT_TRUE(view.canGoBack());
    EXPECT_FALSE(view.canGoForward());

    ASSERT_TRUE(step([&] { view.goBack(); }));
    EXPECT_EQ(recorder.asked.back().type, NavigationType::BackForward);
    EXPECT_EQ(view.request()->url, first);
    EXPECT_TRUE(view.canGoForward());

    ASSERT_TRUE(step([&] { view.reload(); }));
    EXPECT_EQ(recorder.asked.back().type, NavigationType::Reload);

    ASSERT_TRUE(step([&] { evaluate(view, "document.forms[0].submit(); 1"); }));
    EXPECT_EQ(recorder.asked.back().request.url, server->url("/content/three?q=x"));
    EXPECT_EQ(recorder.asked.back().type, NavigationType::FormSubmitted);

    // A server redirect is asked about too, and the load ends once.
    ASSERT_TRUE(step([&] { view.loadRequest(requestFor(server->url("/redirect?to=/content/after"))); }));
    EXPECT_EQ(recorder.asked.back().request.url, server->url("/content/after"));
    EXPECT_EQ(recorder.asked.back().type, NavigationType::Other);
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "finish" }));
    EXPECT_EQ(view.request()->url, server->url("/content/after"));

    // The engine cancels a request whose referrer says more than its policy
    // allows across origins; it goes out cut to its origin instead.
    UrlRequest foreign = requestFor(server->url("/content/foreign"));
    foreign.setHeader("Referer", "http://elsewhere.example/path?secret=1");
    ASSERT_TRUE(step([&] { view.loadRequest(foreign); }));
    EXPECT_EQ(headerSeen(*server, "/content/foreign", "Referer"), "http://elsewhere.example/");
}

TEST_F(WebViewTest, ScriptResultsArriveLaterOnTheMainThreadAsText)
{
    bool answeredEarly = false;
    view.stringByEvaluatingJavaScriptFromString("1", [&](const std::string& r) { answeredEarly = r.empty(); });
    EXPECT_FALSE(answeredEarly);
    ASSERT_TRUE(pumpUntil([&] { return answeredEarly; })) << "nothing loaded: an empty answer, later";

    view.loadHTMLString("<p>script</p>", server->url("/"));
    ASSERT_TRUE(loadAndWait());
    const std::pair<const char*, const char*> cases[] = {
        { "'t' + 'ext'", "text" },
        { "6 * 7", "42" },
        { "0.1 + 0.2", "0.30000000000000004" },
        { "1 / 4", "0.25" },
        { "1 < 2", "true" },
        { "({a: [1, 'b'], c: null})", "{\"a\":[1,\"b\"],\"c\":null}" },
        { "undefined", "" },
        { "null", "" },
        { "throw new Error('no')", "" },
    };
    for (const auto& [script, expected] : cases) {
        bool sync = true, onMain = false;
        std::optional<std::string> result;
        view.stringByEvaluatingJavaScriptFromString(script, [&](const std::string& r) {
            result = r;
            onMain = RunLoop::isMainThread();
        });
        sync = result.has_value();
        ASSERT_TRUE(pumpUntil([&] { return result.has_value(); })) << script;
        EXPECT_EQ(*result, expected) << script;
        EXPECT_FALSE(sync) << script;
        EXPECT_TRUE(onMain) << script;
    }

    // A web view that goes first drops its pending answers.
    auto doomed = std::make_unique<WebView>(Rect { 0, 0, 10, 10 });
    Recorder r2;
    doomed->setDelegate(&r2);
    doomed->loadHTMLString("<p>x</p>", server->url("/"));
    ASSERT_TRUE(pumpUntil([&] { return r2.ended(); }));
    bool called = false;
    doomed->stringByEvaluatingJavaScriptFromString("new Promise(function(r){setTimeout(r,200)}); 5", [&](const std::string&) { called = true; });
    doomed.reset();
    pumpFor(1.0);
    EXPECT_FALSE(called);
}

TEST_F(WebViewTest, FailuresAreReportedOnceWithTheirCause)
{
    // Nothing listens.
    view.loadRequest(requestFor("http://127.0.0.1:" + std::to_string(closedPort()) + "/"));
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "fail" }));
    EXPECT_EQ(recorder.lastError.domain, kURLErrorDomain);
    EXPECT_EQ(recorder.lastError.code, URLErrorCannotConnectToHost);
    ASSERT_TRUE(recorder.lastError.underlying);
    EXPECT_FALSE(view.isLoading());

    // A page that never ends, stopped.
    recorder.events.clear();
    view.loadRequest(requestFor(server->url("/stall?bytes=10")));
    ASSERT_TRUE(pumpUntil([&] { return recorder.count("start") == 1; }));
    pumpFor(0.2);
    view.stopLoading();
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "fail" }));
    EXPECT_EQ(recorder.lastError.code, URLErrorCancelled);
    EXPECT_FALSE(view.isLoading());

    // An error status is still a page.
    recorder.events.clear();
    view.loadRequest(requestFor(server->url("/status/404")));
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "finish" }));

    // More HTML than the engine takes, and text that is no URL.
    recorder.events.clear();
    recorder.asked.clear();
    view.loadHTMLString("<p>" + std::string(2'500'000, 'x') + "</p>", server->url("/big"));
    EXPECT_TRUE(view.isLoading());
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.asked.at(0).request.url, server->url("/big"));
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "fail" }));
    EXPECT_EQ(recorder.lastError.code, URLErrorDataLengthExceedsMaximum);
    recorder.events.clear();
    view.loadRequest(requestFor("not a url"));
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.lastError.code, URLErrorBadURL);
    EXPECT_FALSE(view.isLoading());
}

// Run as a test of its own with TOLVANE_WEBENGINE_MODULE naming a file that
// is not there, as on a machine where the module was not installed.
TEST_F(WebViewTest, WithoutTheEngineModuleEveryLoadFailsCleanly)
{
    const char* module = std::getenv("TOLVANE_WEBENGINE_MODULE");
    if (!module || std::filesystem::exists(module))
        GTEST_SKIP() << "needs TOLVANE_WEBENGINE_MODULE naming a missing file";
    for (int attempt = 0; attempt < 2; ++attempt) {
        recorder.events.clear();
        recorder.asked.clear();
        if (attempt == 0)
            view.loadHTMLString("<p>ad</p>", server->url("/ad"));
        else
            view.loadRequest(requestFor(server->url("/content/page")));
        EXPECT_TRUE(view.isLoading());
        ASSERT_TRUE(loadAndWait(5)) << attempt;
        ASSERT_EQ(recorder.asked.size(), 1u) << attempt;
        EXPECT_EQ(recorder.events, (std::vector<std::string> { "start", "fail" })) << attempt;
        EXPECT_EQ(recorder.lastError.domain, kURLErrorDomain);
        EXPECT_NE(recorder.lastError.message.find(module), std::string::npos) << recorder.lastError.message;
        EXPECT_FALSE(view.isLoading());
    }
    EXPECT_EQ(recorder.asked.at(0).request.url, server->url("/content/page"));
    EXPECT_EQ(evaluate(view, "1 + 1"), "");
    EXPECT_FALSE(view.canGoBack());
    view.reload();
    EXPECT_FALSE(view.isLoading());
    EXPECT_FALSE(engineLibraryMapped());
}

TEST_F(WebViewTest, DelegateMayDestroyTheWebViewInAnyCallback)
{
    enum When { InShouldStart, InDidStart, InDidFinish };
    for (When when : { InShouldStart, InDidStart, InDidFinish }) {
        struct Dropper final : WebViewDelegate {
            std::unique_ptr<WebView>* owner = nullptr;
            When when = InShouldStart;
            bool shouldStartLoadWithRequest(WebView&, const UrlRequest&, NavigationType) override
            {
                if (when == InShouldStart)
                    owner->reset();
                return true;
            }
            void webViewDidStartLoad(WebView&) override
            {
                if (when == InDidStart)
                    owner->reset();
            }
            void webViewDidFinishLoad(WebView&) override
            {
                if (when == InDidFinish)
                    owner->reset();
            }
        } dropper;
        auto owned = std::make_unique<WebView>(Rect { 0, 0, 320, 50 });
        window.addSubview(*owned);
        dropper.owner = &owned;
        dropper.when = when;
        owned->setDelegate(&dropper);
        owned->loadHTMLString("<script>setTimeout(function(){location.href='amsg://x/y'},10)</script>", server->url("/"));
        ASSERT_TRUE(pumpUntil([&] { return !owned; })) << "case " << int(when);
        pumpFor(0.3);
    }
    // The engine still serves the others.
    view.loadHTMLString("<p>alive</p>", server->url("/"));
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.events.back(), "finish");
}

// A new web view may be handed a page the engine made ahead of it. Whatever
// another web view's page did, a new one starts as if made at its load: no
// history, none of the other page's script or session storage, and its delegate hears of its own load alone. (Cookies and local storage belong
// to the origin and are shared by every web view, as on the handheld.)
TEST_F(WebViewTest, ANewWebViewStartsCleanWhateverCameBefore)
{
    const std::string origin = server->url("/");
    auto previous = std::make_unique<WebView>(Rect { 0, 0, 320, 50 });
    window.addSubview(*previous);
    Recorder previousRecorder;
    previous->setDelegate(&previousRecorder);
    const auto loadInPrevious = [&](const std::string& html) {
        previousRecorder.events.clear();
        previous->loadHTMLString(html, origin);
        return pumpUntil([&] { return previousRecorder.ended(); }, 15);
    };
    ASSERT_TRUE(loadInPrevious("<p>first</p>"));
    ASSERT_TRUE(loadInPrevious("<script>window.leaked = 'yes'; sessionStorage.setItem('s', '1');"
                               "history.pushState({}, '', '#moved');</script>"));
    ASSERT_TRUE(evaluatesTo(*previous, "leaked + sessionStorage.getItem('s') + history.length", "yes13"));
    ASSERT_TRUE(previous->canGoBack());
    previous.reset();
    // Time for the engine to make pages ahead, as it does between loads.
    pumpFor(2.0);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("web view " + std::to_string(round));
        auto next = std::make_unique<WebView>(Rect { 0, 0, 320, 50 });
        window.addSubview(*next);
        Recorder nextRecorder;
        next->setDelegate(&nextRecorder);
        next->loadHTMLString("<p>next</p>", origin);
        ASSERT_TRUE(pumpUntil([&] { return nextRecorder.ended(); }, 15));
        ASSERT_EQ(nextRecorder.asked.size(), 1u);
        EXPECT_EQ(nextRecorder.asked[0].request.url, origin);
        EXPECT_EQ(nextRecorder.events, (std::vector<std::string> { "start", "finish" }));
        EXPECT_FALSE(next->canGoBack());
        EXPECT_FALSE(next->canGoForward());
        EXPECT_EQ(evaluate(*next, "typeof leaked + '/' + sessionStorage.length + '/' + history.length"), "undefined/0/1");
        // This one leaves its own traces for the next.
        EXPECT_EQ(evaluate(*next, "window.leaked = 'yes'; sessionStorage.setItem('s', '1'); 'set'"), "set");
    }
}

TEST_F(WebViewTest, SimulatedClickIsTheUsersOwnAndNewWindowsOpenInPlace)
{
    // The link sits away from the origin and asks for a new window.
    view.loadHTMLString("<body style='margin:0'><script>window.downs=[];"
                        "document.addEventListener('mousedown',function(e){downs.push(e.isTrusted+':'+e.clientX+','+e.clientY)});"
                        "</script><a href='/content/landing' target='_blank' "
                        "style='position:absolute;left:200px;top:20px;width:40px;height:20px;display:block'>go</a></body>",
        server->url("/ad"));
    ASSERT_TRUE(loadAndWait());
    recorder.events.clear();
    recorder.allow = [](const UrlRequest&) { return false; };
    std::optional<bool> clicked;
    view.simulateClickOnFirstLink([&](bool c) { clicked = c; });
    ASSERT_TRUE(pumpUntil([&] { return recorder.find(server->url("/content/landing")) != nullptr; }));
    EXPECT_EQ(clicked, true);
    EXPECT_EQ(recorder.find(server->url("/content/landing"))->type, NavigationType::LinkClicked);
    EXPECT_EQ(evaluate(view, "downs.join(' ')"), "true:220,30") << "one trusted press at the link's centre";
    pumpFor(0.3);
    EXPECT_TRUE(recorder.events.empty());

    // Allowed, the new window's page is shown in this view.
    recorder.allow = [](const UrlRequest&) { return true; };
    view.simulateClickOnFirstLink({});
    ASSERT_TRUE(loadAndWait());
    EXPECT_EQ(recorder.events.back(), "finish");
    EXPECT_EQ(view.request()->url, server->url("/content/landing"));
    EXPECT_TRUE(evaluatesTo(view, "document.body.innerText", "content of landing"));

    // Nothing to click, or nothing to see: no click.
    clicked.reset();
    view.simulateClickOnFirstLink([&](bool c) { clicked = c; });
    ASSERT_TRUE(pumpUntil([&] { return clicked.has_value(); }));
    EXPECT_EQ(clicked, false);
    view.loadHTMLString("<a href='/x'>x</a>", server->url("/"));
    ASSERT_TRUE(pumpUntil([&] { return !view.isLoading(); }));
    view.setHidden(true);
    clicked.reset();
    view.simulateClickOnFirstLink([&](bool c) { clicked = c; });
    ASSERT_TRUE(pumpUntil([&] { return clicked.has_value(); }));
    EXPECT_EQ(clicked, false);
}

TEST_F(WebViewTest, WindowsAPageOpensAreFewAndShortLived)
{
    view.loadHTMLString("<p>opener</p>", server->url("/"));
    ASSERT_TRUE(loadAndWait());
    const std::string stillOpen = "String(ws.filter(function (w) { return w && !w.closed; }).length)";
    evaluate(view, "window.ws = []; for (var i = 0; i < 10; i++) ws.push(window.open('')); 'opened'");
    EXPECT_TRUE(evaluatesTo(view, stillOpen, "4", 2)) << "the windows past four close at once";
    // Given no address, the others close too, and whatever the opener wrote
    // into them stops with them.
    EXPECT_TRUE(evaluatesTo(view, stillOpen, "0", 10));
    evaluate(view, "ws = [window.open('')]; 'opened'");
    pumpFor(0.5);
    EXPECT_EQ(evaluate(view, stillOpen), "1") << "room again for a new one";
}

TEST_F(WebViewTest, ScalesPageToFitZoomsAWidePageOut)
{
    view.setScalesPageToFit(true);
    view.loadHTMLString("<body style='margin:0'><div style='width:960px;height:10px'></div></body>", server->url("/"));
    ASSERT_TRUE(loadAndWait());
    EXPECT_TRUE(evaluatesTo(view, "Math.round(window.innerWidth / 10) * 10", "960"));
    view.setScalesPageToFit(false);
    EXPECT_TRUE(evaluatesTo(view, "window.innerWidth", "320"));
}

// A page is drawn a few frames after it finishes loading, and a view shown
// only then (as the banner shows its ad) draws its old picture first. A
// screenshot taken at once must already hold the page.
TEST_F(WebViewTest, AScreenshotRightAfterTheLoadHoldsThePage)
{
    const auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string dir = ::testing::TempDir();
    view.setHidden(true);
    view.loadHTMLString("<body style='margin:0;background:#3a5f9f'></body>", server->url("/"));
    ASSERT_TRUE(loadAndWait());
    ASSERT_TRUE(window.renderToPng(dir + "hidden.png"));
    view.setHidden(false);
    ASSERT_TRUE(window.renderToPng(dir + "at-once.png"));
    pumpFor(1.0);
    ASSERT_TRUE(window.renderToPng(dir + "later.png"));
    EXPECT_TRUE(bytes(dir + "at-once.png") != bytes(dir + "hidden.png")) << "the page is missing";
    EXPECT_TRUE(bytes(dir + "at-once.png") == bytes(dir + "later.png")) << "the page is not drawn whole";

    // A new page in a view on screen: the same.
    recorder.events.clear();
    view.loadHTMLString("<body style='margin:0;background:#9f3a3a'></body>", server->url("/"));
    ASSERT_TRUE(loadAndWait());
    ASSERT_TRUE(window.renderToPng(dir + "next.png"));
    pumpFor(1.0);
    ASSERT_TRUE(window.renderToPng(dir + "next-later.png"));
    EXPECT_TRUE(bytes(dir + "next.png") != bytes(dir + "later.png")) << "the old page is still shown";
    EXPECT_TRUE(bytes(dir + "next.png") == bytes(dir + "next-later.png")) << "the new page is not drawn whole";
}
