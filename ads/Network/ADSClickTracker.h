#pragma once
// One tracking ping at a time: the URL is fetched, redirects followed, and the
// outcome delivered once, with background time held while it runs. It keeps
// no history of earlier pings.

#include "Network/ADSCachedFile.h"
#include "Network/ADSClickTrackerDelegate.h"
#include <cstdint>
#include <memory>
#include <optional>

class ADSClickTracker : private ADSCachedFileDelegate {
public:
    ADSClickTracker() = default;
    ~ADSClickTracker() override;
    ADSClickTracker(const ADSClickTracker&) = delete;
    ADSClickTracker& operator=(const ADSClickTracker&) = delete;

    void trackURL(const std::optional<platform::Url>& url);
    // Where the ping's redirects have led so far.
    std::optional<platform::Url> trackingURL() const;
    bool hasTracked() const { return hasTracked_; }
    ADSClickTrackerDelegate* delegate() const { return delegate_; }
    void setDelegate(ADSClickTrackerDelegate* delegate) { delegate_ = delegate; } // not owned
    void reset();

    // Pings running where the platform gives no background time.
    static bool activeTrackings();
    void beginBackgroundTask();
    void endBackgroundTask();
    uint32_t backgroundTaskID() const { return backgroundTaskID_; }
    const ADSCachedFile* cachedFile() const { return tracker_.get(); }

private:
    void cachedFileDownloadDidEnd(ADSCachedFile& file) override;
    void downloadDidFail(ADSCachedFile& file, const std::optional<platform::Error>& error) override;
    std::optional<platform::Error> shouldRedirectToURL(ADSCachedFile& file, const platform::Url& url) override;

    ADSClickTrackerDelegate* delegate_ = nullptr; // not owned
    std::unique_ptr<ADSCachedFile> tracker_;
    bool hasTracked_ = false;
    bool countedPing_ = false; // counted among the pings running without background time
    uint32_t backgroundTaskID_ = 0;
};
