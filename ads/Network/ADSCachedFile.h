#pragma once
// An HTTP resource downloaded into a file in the caches folder and revalidated
// with If-Modified-Since. It keeps the file between runs until invalidated; it
// does not retry, and it follows redirects only as its delegate allows.

#include "Network/ADSCachedFileDelegate.h"
#include "platform/DateFormatter.h"
#include "platform/Lifetime.h"
#include "platform/Value.h"
#include "platform/net/UrlConnection.h"
#include <memory>
#include <optional>
#include <string>

inline constexpr const char* kHTTPDateFormat = "EEE, dd MMM yyyy HH:mm:ss";

class ADSCachedFile : private platform::UrlConnectionDelegate {
public:
    // `delegate` is not owned.
    ADSCachedFile(ADSCachedFileDelegate* delegate, platform::Url url);
    ~ADSCachedFile() override;
    ADSCachedFile(const ADSCachedFile&) = delete;
    ADSCachedFile& operator=(const ADSCachedFile&) = delete;

    void validate();
    void validateWithCacheBuster();
    void cancel() { cleanUpConnection(); }
    void invalidate();
    bool isDownloading() const { return connection_ != nullptr; }

    // Whether a sound copy is on disk: one that came back whole, as written.
    bool hasContent() const;
    // The file as UTF-8 text; none when it cannot be read, is damaged or is not UTF-8.
    std::optional<std::string> content() const;
    const std::string& filePath() const;
    std::optional<std::string> fileModificationDate() const;
    static platform::DateFormatter formatterForHTTPDate();

    const platform::Url& sourceURL() const { return sourceURL_; }
    const platform::Url& httpDestinationURL() const { return httpDestinationURL_; }
    int httpStatusCode() const { return httpStatusCode_; }
    const platform::Dictionary& httpHeaders() const { return httpHeaders_; }
    ADSCachedFileDelegate* delegate() const { return delegate_; }
    void setDelegate(ADSCachedFileDelegate* delegate) { delegate_ = delegate; }
    std::string description() const;

    // Largest body accepted (bytes); the ad content limit unless changed.
    void setMaximumContentLength(long long bytes) { maxContentLength_ = bytes; }
    static constexpr long long kDefaultMaximumContentLength = 4LL * 1024 * 1024;

    // caches/<host>/<hash>: the host reduced to a safe folder name, so that
    // no URL can lead outside the caches folder.
    static std::string cachePathForURL(const platform::Url& url);
    static std::string safeFolderNameForHost(const std::string& host);
    // A 32-bit string hash that is the same in every run (FNV-1a).
    static uint32_t stableHash(std::string_view text);

    // A cached file is the body followed by a fixed-size trailer with the
    // body's length and CRC-32, so that a file cut short, altered on disk or
    // grown out of all measure is known as damaged and fetched again instead
    // of being revalidated (a 304 would keep a broken copy for good).
    static std::string storedForm(std::string_view body);
    // The body of a stored file, or none when the file is damaged.
    static std::optional<std::string_view> bodyOfStoredForm(std::string_view stored);
    static constexpr size_t kTrailerSize = 33;

private:
    void beginFetchWithCacheBuster(bool cacheBuster);
    void cleanUpConnection();
    void saveResponse(const platform::UrlResponse& response);
    std::optional<std::string> readBody() const;

    std::optional<platform::UrlRequest> willSendRequest(platform::UrlConnection&, const platform::UrlRequest& request,
        const platform::UrlResponse* redirectResponse) override;
    void didReceiveResponse(platform::UrlConnection&, const platform::UrlResponse& response) override;
    void didReceiveData(platform::UrlConnection&, std::string_view chunk) override;
    void didFinishLoading(platform::UrlConnection&) override;
    void didFailWithError(platform::UrlConnection&, const platform::Error& error) override;

    ADSCachedFileDelegate* delegate_ = nullptr; // not owned
    platform::Url sourceURL_;
    mutable std::optional<std::string> filePath_;
    std::unique_ptr<platform::UrlConnection> connection_;
    std::optional<std::string> receivedData_;
    std::optional<std::string> receivedModificationDate_;
    std::optional<std::string> receivedAnswerDate_; // the answer's own "Date"
    platform::Url httpDestinationURL_;
    int httpStatusCode_ = 0;
    platform::Dictionary httpHeaders_;
    long long maxContentLength_ = kDefaultMaximumContentLength;
    platform::Lifetime lifetime_;
};
