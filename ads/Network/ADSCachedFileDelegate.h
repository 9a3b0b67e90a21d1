#pragma once
// What an ADSCachedFile tells its owner: content available, download failed,
// and whether a redirect may proceed. It holds no state.

#include "platform/Error.h"
#include "platform/Url.h"
#include <optional>

class ADSCachedFile;

class ADSCachedFileDelegate {
public:
    virtual ~ADSCachedFileDelegate() = default;
    // The content is available: freshly written, or unchanged on the server.
    virtual void cachedFileDownloadDidEnd(ADSCachedFile& file) = 0;
    // The download failed or was stopped; the error is absent for a bad HTTP status.
    virtual void downloadDidFail(ADSCachedFile& file, const std::optional<platform::Error>& error) = 0;
    // Nothing lets the redirect proceed; an error stops the download with it.
    virtual std::optional<platform::Error> shouldRedirectToURL(ADSCachedFile& file, const platform::Url& url) = 0;
};
