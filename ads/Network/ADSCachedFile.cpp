#include "Network/ADSCachedFile.h"
#include "Utility/ADSNetworkUtilities.h"
#include "platform/Utf8.h"
#include "platform/Checksum.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include <cctype>
#include <cmath>
#include <cstdio>

ADSCachedFile::ADSCachedFile(ADSCachedFileDelegate* delegate, platform::Url url)
    : delegate_(delegate)
    , sourceURL_(url)
    , httpDestinationURL_(std::move(url))
{
}

ADSCachedFile::~ADSCachedFile()
{
    lifetime_.end();
    delegate_ = nullptr;
    cleanUpConnection();
}

uint32_t ADSCachedFile::stableHash(std::string_view text)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string ADSCachedFile::safeFolderNameForHost(const std::string& host)
{
    std::string name;
    name.reserve(host.size());
    for (unsigned char c : host) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_')
            name.push_back(char(std::tolower(c)));
        else
            name.push_back('_');
    }
    if (name.size() > 200)
        name.resize(200);
    // "", "." and ".." name the folder itself or its parent.
    if (name.find_first_not_of('.') == std::string::npos)
        name = "_" + name;
    return name;
}

std::string ADSCachedFile::cachePathForURL(const platform::Url& url)
{
    std::string caches = platform::Paths::caches();
    if (caches.empty())
        return {};
    char hash[16];
    std::snprintf(hash, sizeof hash, "%x", stableHash(url.absoluteString()));
    return platform::FileSystem::appendPathComponent(
        platform::FileSystem::appendPathComponent(caches, safeFolderNameForHost(url.host())), hash);
}

const std::string& ADSCachedFile::filePath() const
{
    if (!filePath_)
        filePath_ = cachePathForURL(sourceURL_);
    return *filePath_;
}

platform::DateFormatter ADSCachedFile::formatterForHTTPDate()
{
    return platform::DateFormatter(kHTTPDateFormat, platform::DateFormatter::Zone::GMT);
}

namespace {
// An HTTP date kept up to (not including) "GMT"; the format has no zone.
std::optional<platform::Date> parseHTTPDate(const std::optional<std::string>& kept)
{
    if (!kept)
        return std::nullopt;
    std::string text = kept->substr(0, kept->find("GMT"));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return ADSCachedFile::formatterForHTTPDate().parse(text);
}

constexpr std::string_view kTrailerMagic = std::string_view("\0ADSCACHE", 9);

// The magic, then the CRC-32 in 8 and the length in 16 lower-case hex digits.
std::string trailerFor(std::string_view body)
{
    char fields[32];
    std::snprintf(fields, sizeof fields, "%08x%016llx", platform::Checksum::crc32(body), (unsigned long long)body.size());
    return std::string(kTrailerMagic) + fields;
}
}

std::string ADSCachedFile::storedForm(std::string_view body)
{
    std::string out;
    out.reserve(body.size() + kTrailerSize);
    out.append(body);
    out.append(trailerFor(body));
    return out;
}

std::optional<std::string_view> ADSCachedFile::bodyOfStoredForm(std::string_view stored)
{
    if (stored.size() < kTrailerSize)
        return std::nullopt;
    const std::string_view body = stored.substr(0, stored.size() - kTrailerSize);
    if (stored.substr(body.size()) != trailerFor(body))
        return std::nullopt;
    return body;
}

std::optional<std::string> ADSCachedFile::readBody() const
{
    if (filePath().empty())
        return std::nullopt;
    auto stored = platform::FileSystem::readFile(filePath(), maxContentLength_ + (long long)kTrailerSize);
    if (!stored)
        return std::nullopt;
    std::optional<std::string_view> body = bodyOfStoredForm(*stored);
    if (!body)
        return std::nullopt;
    return std::string(*body);
}

bool ADSCachedFile::hasContent() const { return readBody().has_value(); }

std::optional<std::string> ADSCachedFile::content() const
{
    std::optional<std::string> body = readBody();
    if (!body || !platform::utf8::isValid(*body))
        return std::nullopt;
    return body;
}

std::optional<std::string> ADSCachedFile::fileModificationDate() const
{
    if (filePath().empty())
        return std::nullopt;
    std::optional<double> mtime = platform::FileSystem::modificationTime(filePath());
    if (!mtime)
        return std::nullopt;
    return formatterForHTTPDate().format(platform::Date { std::floor(*mtime) });
}

std::string ADSCachedFile::description() const
{
    char head[96];
    std::snprintf(head, sizeof head, "<ADSCachedFile: %p> HTTP code: %i\n\turl: ", static_cast<const void*>(this),
        httpStatusCode_);
    return head + sourceURL_.absoluteString() + "\n\tfile: " + filePath();
}

void ADSCachedFile::validate()
{
    if (!connection_)
        beginFetchWithCacheBuster(false);
}

void ADSCachedFile::validateWithCacheBuster()
{
    if (!connection_)
        beginFetchWithCacheBuster(true);
}

void ADSCachedFile::invalidate()
{
    cleanUpConnection();
    if (!filePath().empty())
        platform::FileSystem::removeFile(filePath());
}

void ADSCachedFile::beginFetchWithCacheBuster(bool cacheBuster)
{
    platform::Url url = sourceURL_;
    if (cacheBuster) {
        char seconds[64];
        std::snprintf(seconds, sizeof seconds, "%.0f", platform::Clock::shared().timeIntervalSinceReferenceDate());
        if (auto busted = ADSNetworkUtilities::appendQueryKey("unique", std::string(seconds), url))
            url = *busted;
    }
    platform::UrlRequest request;
    request.url = url.absoluteString();
    request.maxBodyBytes = maxContentLength_;
    if (const std::string& agent = ADSNetworkUtilities::userAgentString(); !agent.empty())
        request.setHeader("User-Agent", agent);
    if (hasContent()) {
        if (std::optional<std::string> since = fileModificationDate())
            request.setHeader("If-Modified-Since", *since);
    } else if (!filePath().empty() && platform::FileSystem::exists(filePath())) {
        // A damaged copy must not be revalidated: the server would call it current.
        platform::Console::log("<Ads> The cached copy of " + sourceURL_.absoluteString() + " is damaged; fetching it again");
        platform::FileSystem::removeFile(filePath());
    }
    connection_ = platform::UrlConnection::start(request, this);
    if (!connection_) {
        if (delegate_)
            delegate_->downloadDidFail(*this, std::nullopt);
        return;
    }
    receivedData_ = std::string();
}

void ADSCachedFile::cleanUpConnection()
{
    if (connection_) {
        connection_->cancel();
        connection_.reset();
    }
    receivedData_.reset();
    receivedModificationDate_.reset();
    receivedAnswerDate_.reset();
}

void ADSCachedFile::saveResponse(const platform::UrlResponse& response)
{
    httpStatusCode_ = response.statusCode;
    platform::Dictionary headers;
    for (const auto& [name, value] : response.headers)
        headers.set(name, value);
    httpHeaders_ = std::move(headers);
}

std::optional<platform::UrlRequest> ADSCachedFile::willSendRequest(platform::UrlConnection&,
    const platform::UrlRequest& request, const platform::UrlResponse* redirectResponse)
{
    std::optional<platform::Url> destination = platform::Url::fromString(request.url);
    if (destination)
        httpDestinationURL_ = *destination;
    if (!redirectResponse)
        return request;
    saveResponse(*redirectResponse);
    if (!delegate_ || !destination)
        return request;
    const auto alive = lifetime_.watch();
    std::optional<platform::Error> refusal = delegate_->shouldRedirectToURL(*this, *destination);
    if (!alive)
        return std::nullopt;
    if (refusal) {
        cleanUpConnection();
        if (delegate_)
            delegate_->downloadDidFail(*this, refusal);
        return std::nullopt;
    }
    return request;
}

void ADSCachedFile::didReceiveResponse(platform::UrlConnection&, const platform::UrlResponse& response)
{
    saveResponse(response);
    receivedData_ = std::string();
    if (response.statusCode == 200) {
        receivedModificationDate_.reset();
        if (std::optional<std::string> modified = response.header("Last-Modified")) {
            size_t gmt = modified->find("GMT");
            receivedModificationDate_ = gmt == std::string::npos ? *modified : modified->substr(0, gmt);
        }
        receivedAnswerDate_ = response.header("Date");
        return;
    }
    // The connection ends before the delegate hears, so the delegate may
    // release this file from its callback.
    cleanUpConnection();
    if (!delegate_)
        return;
    // "Not modified" answers a question this file asks only with a copy at
    // hand; without one (gone or damaged since) there is nothing to serve.
    if (response.statusCode == 304 && hasContent())
        delegate_->cachedFileDownloadDidEnd(*this);
    else
        delegate_->downloadDidFail(*this, std::nullopt);
}

void ADSCachedFile::didReceiveData(platform::UrlConnection&, std::string_view chunk)
{
    if (receivedData_)
        receivedData_->append(chunk);
}

void ADSCachedFile::didFinishLoading(platform::UrlConnection&)
{
    const std::string& path = filePath();
    std::string error;
    bool written = false;
    if (path.empty()) {
        error = "no caches folder";
    } else {
        std::string folder = platform::FileSystem::deletingLastPathComponent(path);
        if (!platform::FileSystem::isDirectory(folder) && !platform::FileSystem::createDirectories(folder)) {
            error = "cannot create " + folder;
        } else {
            platform::FileSystem::removeAbandonedTemporaryFiles(path);
            if (auto write = platform::FileSystem::writeAtomically(path, storedForm(receivedData_ ? *receivedData_ : std::string())))
                written = true;
            else
                error = write.error().message;
        }
    }
    if (!written) {
        // The older copy, if any, is still whole and still served.
        platform::Console::log("<Ads> Could not cache " + sourceURL_.absoluteString() + ": " + error);
        cleanUpConnection();
        if (delegate_)
            delegate_->downloadDidFail(*this, platform::Error("platform.FileError", 1, error.empty() ? "write failed" : error));
        return;
    }
    if (std::optional<platform::Date> date = parseHTTPDate(receivedModificationDate_)) {
        // A date after the answer's own (metadata from the future) would make
        // every later revalidation ask "changed since then?" and keep this
        // copy for good; HTTP has the server's Date win then.
        double seconds = date->secondsSince1970;
        if (std::optional<platform::Date> sent = parseHTTPDate(receivedAnswerDate_); sent && sent->secondsSince1970 < seconds)
            seconds = sent->secondsSince1970;
        platform::FileSystem::setModificationTime(path, std::floor(seconds));
    }
    cleanUpConnection();
    if (delegate_)
        delegate_->cachedFileDownloadDidEnd(*this);
}

void ADSCachedFile::didFailWithError(platform::UrlConnection&, const platform::Error& error)
{
    cleanUpConnection();
    if (delegate_)
        delegate_->downloadDidFail(*this, error);
}
