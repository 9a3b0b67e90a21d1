#pragma once
// An asynchronous HTTP download: one request, redirects offered to the delegate
// one hop at a time, the response before the body, body chunks, then finish or
// failure. It does not cache, retry or follow redirects on its own.

#include "platform/Error.h"
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Domain of the connection's own errors; codes below.
inline constexpr const char* kURLErrorDomain = "platform.URLError";
enum URLErrorCode : long {
    URLErrorUnknown = -1,
    URLErrorCancelled = -999,
    URLErrorBadURL = -1000,
    URLErrorTimedOut = -1001,
    URLErrorUnsupportedURL = -1002,
    URLErrorCannotFindHost = -1003,
    URLErrorCannotConnectToHost = -1004,
    URLErrorNetworkConnectionLost = -1005,
    URLErrorHTTPTooManyRedirects = -1007,
    URLErrorSecureConnectionFailed = -1200,
    URLErrorDataLengthExceedsMaximum = -1103,
};

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct UrlRequest {
    std::string url;
    HeaderList headers; // sent in this order
    // The download fails when no byte arrives for this long (platform clock).
    double stallTimeoutSeconds = 60;
    // The download fails once its body grows past this many bytes; 0 = no limit.
    long long maxBodyBytes = 4LL * 1024 * 1024;

    // Replaces any header of that name (names compare without case).
    void setHeader(const std::string& name, const std::string& value);
    std::optional<std::string> header(std::string_view name) const;
};

struct UrlResponse {
    std::string url;     // the URL that answered
    int statusCode = 0;  // HTTP status
    HeaderList headers;  // as received
    long long expectedContentLength = -1;
    std::optional<std::string> header(std::string_view name) const;
};

class UrlConnection;

// Every method is optional; all are called on the main thread. The delegate
// may destroy the connection inside any of them: no later call follows.
class UrlConnectionDelegate {
public:
    virtual ~UrlConnectionDelegate() = default;
    // Called before the first request (redirectResponse null) and for every
    // redirect. Returning nothing stops the download silently (no failure call).
    virtual std::optional<UrlRequest> willSendRequest(UrlConnection&, const UrlRequest& request,
        const UrlResponse* /*redirectResponse*/)
    {
        return request;
    }
    virtual void didReceiveResponse(UrlConnection&, const UrlResponse&) { }
    virtual void didReceiveData(UrlConnection&, std::string_view /*chunk*/) { }
    virtual void didFinishLoading(UrlConnection&) { }
    virtual void didFailWithError(UrlConnection&, const Error&) { }
};

class UrlConnection {
public:
    // Starts the download on the next turn of the main loop. Nothing when the
    // request cannot be made (no URL, or a scheme other than http/https).
    // `delegate` is not owned and must outlive the connection or cancel it.
    static std::unique_ptr<UrlConnection> start(const UrlRequest& request, UrlConnectionDelegate* delegate);
    ~UrlConnection(); // cancels
    UrlConnection(const UrlConnection&) = delete;
    UrlConnection& operator=(const UrlConnection&) = delete;

    // Stops the download; no delegate call follows.
    void cancel();
    const UrlRequest& currentRequest() const;
    bool isRunning() const;

    static constexpr int kMaxRedirects = 20;

    struct Impl;

private:
    UrlConnection();
    std::unique_ptr<Impl> impl_;
};

}
