// Cached downloads against the local HTTP server: status handling, the file
// and its times, revalidation, cache buster, redirects, stalls and size limits.
#include "Network/ADSCachedFile.h"
#include "LocalServerTest.h"
#include "RecordedRequests.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PlatformSession.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

struct Outcome : ADSCachedFileDelegate {
    int ended = 0;
    int failed = 0;
    std::optional<platform::Error> lastError;
    std::vector<std::string> redirects;
    std::optional<platform::Error> refuseRedirectsWith;

    void cachedFileDownloadDidEnd(ADSCachedFile&) override { ++ended; }
    void downloadDidFail(ADSCachedFile&, const std::optional<platform::Error>& error) override
    {
        ++failed;
        lastError = error;
    }
    std::optional<platform::Error> shouldRedirectToURL(ADSCachedFile&, const platform::Url& url) override
    {
        redirects.push_back(url.absoluteString());
        return refuseRedirectsWith;
    }
    bool done() const { return ended + failed > 0; }
};

constexpr const char* kLastModified = "Tue,%2015%20Nov%202011%2008:12:31%20GMT";
constexpr double kLastModifiedEpoch = 1321344751; // date -u -d '2011-11-15 08:12:31' +%s

class ADSCachedFileTest : public LocalServerTest {
protected:

    std::unique_ptr<ADSCachedFile> make(Outcome& outcome, const std::string& path)
    {
        auto url = platform::Url::fromString(server->url(path));
        EXPECT_TRUE(url.has_value()) << path;
        auto file = std::make_unique<ADSCachedFile>(&outcome, *url);
        platform::FileSystem::removeFile(file->filePath());
        return file;
    }

    static void writeOldFile(const ADSCachedFile& file, const std::string& text, double mtime)
    {
        ASSERT_TRUE(platform::FileSystem::createDirectories(platform::FileSystem::deletingLastPathComponent(file.filePath())));
        ASSERT_TRUE(platform::FileSystem::writeAtomically(file.filePath(), ADSCachedFile::storedForm(text)));
        ASSERT_TRUE(platform::FileSystem::setModificationTime(file.filePath(), mtime));
    }

};


TEST_F(ADSCachedFileTest, LastModifiedSetsFileTimeAndTheNextFetchRevalidatesTo304)
{
    Outcome outcome;
    std::string path = std::string("/content/page?lm=") + kLastModified;
    auto file = make(outcome, path);
    EXPECT_FALSE(file->hasContent());

    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    EXPECT_EQ(outcome.ended, 1);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(file->httpStatusCode(), 200);
    EXPECT_EQ(file->content().value_or("<none>"), "content of page");
    EXPECT_EQ(platform::FileSystem::modificationTime(file->filePath()).value_or(0), kLastModifiedEpoch);
    EXPECT_EQ(file->fileModificationDate().value_or(""), "Tue, 15 Nov 2011 08:12:31");
    EXPECT_EQ(file->httpHeaders().get("Last-Modified").asString(), "Tue, 15 Nov 2011 08:12:31 GMT");
    EXPECT_FALSE(file->isDownloading());

    auto first = recordedRequests(*server, "/content/page");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_FALSE(first[0].headers.contains("If-Modified-Since"));

    // The server's copy is unchanged: it answers 304 and the file is left alone.
    outcome = Outcome();
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    EXPECT_EQ(outcome.ended, 1);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(file->httpStatusCode(), 304);
    EXPECT_EQ(file->content().value_or("<none>"), "content of page");
    EXPECT_EQ(platform::FileSystem::modificationTime(file->filePath()).value_or(0), kLastModifiedEpoch);
    auto all = recordedRequests(*server, "/content/page");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].header("If-Modified-Since"), "Tue, 15 Nov 2011 08:12:31");

    // A date after the answer's own (metadata from the future) would have
    // every later revalidation ask "changed since then?" and keep this copy
    // for good: the server's Date, the real time here, wins.
    Outcome ahead;
    auto future = make(ahead, "/content/ahead?lm=Fri,%2001%20Jan%202100%2000:00:00%20GMT");
    future->validate();
    ASSERT_TRUE(pumpUntil([&] { return ahead.done(); }));
    ASSERT_EQ(ahead.ended, 1);
    EXPECT_LE(platform::FileSystem::modificationTime(future->filePath()).value_or(0), double(std::time(nullptr)));
}

// The ad library's console lines since the last call.
static std::vector<std::string> adsLines()
{
    std::vector<std::string> out;
    for (std::string& line : platform::Console::takeLines())
        if (line.rfind("<Ads> ", 0) == 0)
            out.push_back(std::move(line));
    return out;
}

TEST_F(ADSCachedFileTest, ADamagedCopyIsFetchedAgainInsteadOfRevalidated)
{
    platform::Console::setKeepingLines(true);
    Outcome outcome;
    const std::string path = std::string("/content/page?lm=") + kLastModified;
    auto file = make(outcome, path);
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    const std::string sound = platform::FileSystem::readFile(file->filePath()).value_or("");
    ASSERT_EQ(file->content().value_or(""), "content of page");

    std::string flippedBody = sound;
    flippedBody[3] ^= 0x01;
    std::string flippedTrailer = sound;
    flippedTrailer[sound.size() - 5] ^= 0x10;
    std::string huge = sound;
    huge.resize(100u << 20, 'x');
    for (const std::string& damaged : { sound.substr(0, sound.size() / 2), sound.substr(0, sound.size() - 1),
             std::string("content of page"), flippedBody, flippedTrailer, huge }) {
        SCOPED_TRACE(damaged.substr(0, 40));
        ASSERT_TRUE(platform::FileSystem::writeAtomically(file->filePath(), damaged));
        // The file's time still matches the server's: a revalidation would be
        // answered 304 and the damage kept for good.
        ASSERT_TRUE(platform::FileSystem::setModificationTime(file->filePath(), kLastModifiedEpoch));
        EXPECT_FALSE(file->hasContent());
        EXPECT_FALSE(file->content());
        server->fetch("/__reset");
        adsLines();
        outcome = Outcome();
        file->validate();
        ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
        EXPECT_EQ(outcome.ended, 1);
        EXPECT_EQ(file->httpStatusCode(), 200);
        EXPECT_EQ(file->content().value_or("<none>"), "content of page");
        auto seen = recordedRequests(*server, "/content/page");
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_FALSE(seen[0].headers.contains("If-Modified-Since"));
        EXPECT_EQ(adsLines().size(), 1u);
    }
}

TEST_F(ADSCachedFileTest, AFailedWriteKeepsServingTheOlderCopyAndSaysSoOnce)
{
    platform::Console::setKeepingLines(true);
    Outcome outcome;
    auto file = make(outcome, std::string("/content/page?lm=") + kLastModified);
    writeOldFile(*file, "older copy", 1000000000);
    const std::string folder = platform::FileSystem::deletingLastPathComponent(file->filePath());
    using Step = platform::FileSystem::FileStep;
    for (Step step : { Step::CreateTemporary, Step::Write, Step::Sync, Step::Rename }) {
        for (int err : { EIO, ENOSPC }) {
            SCOPED_TRACE(std::to_string(int(step)) + " " + std::strerror(err));
            platform::FileSystem::setFaultHook([&](Step s, const std::string&) { return s == step ? err : 0; });
            adsLines();
            outcome = Outcome();
            file->validate();
            ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
            EXPECT_EQ(outcome.failed, 1);
            ASSERT_TRUE(outcome.lastError.has_value());
            EXPECT_NE(outcome.lastError->message.find(std::strerror(err)), std::string::npos);
            EXPECT_EQ(file->content().value_or("<none>"), "older copy");
            const auto lines = adsLines();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find(std::strerror(err)), std::string::npos) << lines[0];
            const auto left = platform::FileSystem::contentsOfDirectory(folder);
            EXPECT_TRUE(std::none_of(left.begin(), left.end(),
                [](const std::string& name) { return name.find(".tmp.") != std::string::npos; }));
        }
    }
    platform::FileSystem::setFaultHook(nullptr);
    outcome = Outcome();
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    EXPECT_EQ(file->content().value_or("<none>"), "content of page");
}

TEST_F(ADSCachedFileTest, BadStatusFailsWithoutErrorAndKeepsTheOlderFile)
{
    Outcome outcome;
    auto file = make(outcome, "/status/404");
    writeOldFile(*file, "older copy", 1000000000);

    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(outcome.ended, 0);
    EXPECT_FALSE(outcome.lastError.has_value());
    EXPECT_EQ(file->httpStatusCode(), 404);
    EXPECT_TRUE(file->hasContent());
    EXPECT_EQ(file->content().value_or(""), "older copy");
    // The older file's time went out as If-Modified-Since (2001-09-09 01:46:40 UTC).
    auto seen = recordedRequests(*server, "/status/404");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].header("If-Modified-Since"), "Sun, 09 Sep 2001 01:46:40");

    // "Not modified" to a file that has no copy is a failure too, not an end.
    Outcome unasked;
    auto empty = make(unasked, "/status/304");
    empty->validate();
    ASSERT_TRUE(pumpUntil([&] { return unasked.done(); }));
    EXPECT_EQ(unasked.failed, 1);
    EXPECT_EQ(unasked.ended, 0);
    EXPECT_FALSE(empty->hasContent());
}

TEST_F(ADSCachedFileTest, CacheBusterAddsWholeSecondsSinceReferenceDateOnlyWhenAsked)
{
    Outcome outcome;
    auto file = make(outcome, "/content/busted?x=1");
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    outcome = Outcome();
    file->validateWithCacheBuster();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));

    auto seen = recordedRequests(*server, "/content/busted");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].path, "/content/busted?x=1");
    char expected[64];
    std::snprintf(expected, sizeof expected, "/content/busted?x=1&unique=%.0f",
        platform::Clock::shared().timeIntervalSinceReferenceDate());
    EXPECT_EQ(seen[1].path, expected);
    // The file is still the source URL's file.
    EXPECT_EQ(file->filePath(), ADSCachedFile::cachePathForURL(*platform::Url::fromString(server->url("/content/busted?x=1"))));
}

TEST_F(ADSCachedFileTest, ValidateTwiceStartsOneDownload)
{
    Outcome outcome;
    auto file = make(outcome, "/content/twice");
    file->validate();
    EXPECT_TRUE(file->isDownloading());
    file->validate();
    file->validateWithCacheBuster();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    pumpFor(0.2);
    EXPECT_EQ(outcome.ended, 1);
    EXPECT_EQ(recordedRequests(*server, "/content/twice").size(), 1u);
}

TEST_F(ADSCachedFileTest, StalledServerTimesOutOnThePlatformClockAndKeepsTheOlderFile)
{
    Outcome outcome;
    auto file = make(outcome, "/stall?bytes=10");
    writeOldFile(*file, "older copy", 1000000000);
    file->validate();
    // Wait (in real time) until the request is in flight and the first bytes came.
    ASSERT_TRUE(pumpUntil([&] { return file->httpStatusCode() == 200; }));
    pumpFor(0.2);
    EXPECT_FALSE(outcome.done());

    auto* clock = platform::PlatformSession::current()->virtualClock();
    ASSERT_NE(clock, nullptr);
    clock->advance(59);
    platform::RunLoop::main().runPending();
    EXPECT_FALSE(outcome.done()) << "gave up before 60 s without a byte";
    clock->advance(2);
    platform::RunLoop::main().runPending();
    ASSERT_TRUE(outcome.done());
    EXPECT_EQ(outcome.failed, 1);
    ASSERT_TRUE(outcome.lastError.has_value());
    EXPECT_EQ(outcome.lastError->domain, platform::kURLErrorDomain);
    EXPECT_EQ(outcome.lastError->code, platform::URLErrorTimedOut);
    EXPECT_FALSE(file->isDownloading());
    EXPECT_EQ(file->content().value_or(""), "older copy");
}

TEST_F(ADSCachedFileTest, OversizedBodyFailsWithOrWithoutContentLength)
{
    for (const char* route : { "/big?size=5000000", "/bigchunked?size=5000000" }) {
        SCOPED_TRACE(route);
        Outcome outcome;
        auto file = make(outcome, route);
        writeOldFile(*file, "older copy", 1000000000);
        file->validate();
        ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }, 30));
        EXPECT_EQ(outcome.failed, 1);
        ASSERT_TRUE(outcome.lastError.has_value());
        EXPECT_EQ(outcome.lastError->code, platform::URLErrorDataLengthExceedsMaximum);
        EXPECT_EQ(file->content().value_or(""), "older copy");
    }
    // Just under the limit is fine.
    Outcome outcome;
    auto file = make(outcome, "/bigchunked?size=4194304");
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }, 30));
    EXPECT_EQ(outcome.ended, 1);
    EXPECT_EQ(file->content().value_or("").size(), 4194304u);
}

TEST_F(ADSCachedFileTest, RedirectsAreOfferedToTheDelegateWhichMayStopThem)
{
    {
        Outcome outcome;
        auto file = make(outcome, "/redirect?to=/content/target");
        file->validate();
        ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
        EXPECT_EQ(outcome.ended, 1);
        ASSERT_EQ(outcome.redirects.size(), 1u);
        EXPECT_EQ(outcome.redirects[0], server->url("/content/target"));
        EXPECT_EQ(file->httpDestinationURL().absoluteString(), server->url("/content/target"));
        EXPECT_EQ(file->content().value_or(""), "content of target");
    }
    {
        Outcome outcome;
        outcome.refuseRedirectsWith = platform::Error("test", 7, "no thanks");
        auto file = make(outcome, "/redirect?to=/content/refused");
        file->validate();
        ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
        pumpFor(0.2);
        EXPECT_EQ(outcome.ended, 0);
        EXPECT_EQ(outcome.failed, 1);
        ASSERT_TRUE(outcome.lastError.has_value());
        EXPECT_EQ(outcome.lastError->code, 7);
        EXPECT_EQ(file->httpStatusCode(), 302);
        EXPECT_FALSE(file->hasContent());
        EXPECT_TRUE(recordedRequests(*server, "/content/refused").empty());
    }
}

TEST_F(ADSCachedFileTest, UnreachableServerFailsWithTheTransportError)
{
    Outcome outcome;
    // Port 1 on the loopback is closed on any ordinary machine.
    auto file = std::make_unique<ADSCachedFile>(&outcome, *platform::Url::fromString("http://127.0.0.1:1/x"));
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    EXPECT_EQ(outcome.failed, 1);
    ASSERT_TRUE(outcome.lastError.has_value());
    EXPECT_EQ(outcome.lastError->code, platform::URLErrorCannotConnectToHost);
}

TEST_F(ADSCachedFileTest, ANonHttpSourceFailsAtOnceWithoutError)
{
    Outcome outcome;
    ADSCachedFile file(&outcome, *platform::Url::fromString("ftp://example.org/file"));
    file.validate();
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_FALSE(outcome.lastError.has_value());
    EXPECT_FALSE(file.isDownloading());
}

TEST_F(ADSCachedFileTest, DestroyingTheFileMidDownloadStopsQuietly)
{
    Outcome outcome;
    auto file = make(outcome, "/stall?bytes=3");
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return file->httpStatusCode() == 200; }));
    file.reset();
    pumpFor(0.2);
    platform::PlatformSession::current()->virtualClock()->advance(120);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(outcome.ended + outcome.failed, 0);
}

TEST_F(ADSCachedFileTest, InvalidateDeletesTheFile)
{
    Outcome outcome;
    auto file = make(outcome, "/content/gone");
    file->validate();
    ASSERT_TRUE(pumpUntil([&] { return outcome.done(); }));
    ASSERT_TRUE(file->hasContent());
    file->invalidate();
    EXPECT_FALSE(file->hasContent());
    EXPECT_FALSE(file->content().has_value());
    EXPECT_FALSE(file->fileModificationDate().has_value());
}

TEST(ADSCachedFilePath, StaysInsideTheCachesFolderWhateverTheHostHolds)
{
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost("ads.example.com"), "ads.example.com");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost("Ads.Example.COM"), "ads.example.com");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost(".."), "_..");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost("."), "_.");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost(""), "_");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost("a/../../b"), "a_.._.._b");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost("[::1]"), "___1_");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost("h\xc3\xa9st%2f"), "h__st_2f");
    EXPECT_EQ(ADSCachedFile::safeFolderNameForHost(std::string(300, 'a')).size(), 200u);

    const std::string caches = platform::Paths::caches();
    for (const char* text : { "http://ads.example.com/a.js", "http://ads.example.com/b.js", "http://[::1]:8080/x",
             "http://127.0.0.1/..%2F..%2Fetc" }) {
        auto url = platform::Url::fromString(text);
        ASSERT_TRUE(url) << text;
        std::string path = ADSCachedFile::cachePathForURL(*url);
        EXPECT_EQ(path.rfind(caches + "/", 0), 0u) << path;
        std::string rest = path.substr(caches.size() + 1);
        EXPECT_EQ(std::count(rest.begin(), rest.end(), '/'), 1) << path;
        EXPECT_EQ(rest.find(".."), std::string::npos) << path;
    }
    // Same host, different URLs: one folder, two files.
    std::string a = ADSCachedFile::cachePathForURL(*platform::Url::fromString("http://ads.example.com/a.js"));
    std::string b = ADSCachedFile::cachePathForURL(*platform::Url::fromString("http://ads.example.com/b.js"));
    EXPECT_NE(a, b);
    EXPECT_EQ(platform::FileSystem::deletingLastPathComponent(a), platform::FileSystem::deletingLastPathComponent(b));
    // The file name is the lower-case hex of a hash that does not change between runs (FNV-1a).
    EXPECT_EQ(ADSCachedFile::stableHash(""), 0x811c9dc5u);
    EXPECT_EQ(ADSCachedFile::stableHash("a"), 0xe40c292cu);
    char name[16];
    std::snprintf(name, sizeof name, "%x", ADSCachedFile::stableHash("http://ads.example.com/a.js"));
    EXPECT_EQ(platform::FileSystem::lastPathComponent(a), name);
}

TEST(ADSCachedFileText, DescriptionNamesCodeUrlAndFile)
{
    ADSCachedFile file(nullptr, *platform::Url::fromString("http://ads.example.com/a.js"));
    std::string d = file.description();
    EXPECT_EQ(d.rfind("<ADSCachedFile: 0x", 0), 0u) << d;
    EXPECT_NE(d.find("> HTTP code: 0\n\turl: http://ads.example.com/a.js\n\tfile: " + file.filePath()), std::string::npos) << d;
}

}
