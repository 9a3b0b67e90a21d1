#include "Network/ADSClickTracker.h"
#include "ADSConfiguration.h"
#include "Statistics/ADSStatistics.h"
#include "platform/net/BackgroundTasks.h"
#include <cctype>

namespace {
// Pings running without platform background time (process-wide).
int32_t untrackedPings = 0;
}

ADSClickTracker::~ADSClickTracker()
{
    reset();
}

void ADSClickTracker::trackURL(const std::optional<platform::Url>& url)
{
    if (!url)
        return;
    reset();
    beginBackgroundTask();
    tracker_ = std::make_unique<ADSCachedFile>(static_cast<ADSCachedFileDelegate*>(this), *url);
    tracker_->validate();
}

std::optional<platform::Url> ADSClickTracker::trackingURL() const
{
    if (!tracker_)
        return std::nullopt;
    return tracker_->httpDestinationURL();
}

void ADSClickTracker::reset()
{
    hasTracked_ = false;
    if (tracker_) {
        tracker_->setDelegate(nullptr);
        tracker_->invalidate();
        tracker_.reset();
    }
    endBackgroundTask();
}

bool ADSClickTracker::activeTrackings()
{
    return untrackedPings != 0;
}

void ADSClickTracker::beginBackgroundTask()
{
    platform::BackgroundTasks& tasks = platform::BackgroundTasks::shared();
    if (tasks.isSupported()) {
        // The tracker ends the task in reset() and its destructor, so the
        // handler never outlives it.
        backgroundTaskID_ = tasks.beginTask([this] { reset(); });
    } else {
        ++untrackedPings;
        countedPing_ = true;
    }
}

// A ping ends more than once (its outcome, then reset and destruction): only
// the first end takes it off the count, or it would take another ping's place.
void ADSClickTracker::endBackgroundTask()
{
    if (backgroundTaskID_ == 0) {
        if (countedPing_ && untrackedPings > 0)
            --untrackedPings;
        countedPing_ = false;
        return;
    }
    platform::BackgroundTasks& tasks = platform::BackgroundTasks::shared();
    if (tasks.isSupported()) {
        tasks.endTask(backgroundTaskID_);
        backgroundTaskID_ = 0;
    }
}

std::optional<platform::Error> ADSClickTracker::shouldRedirectToURL(ADSCachedFile& file, const platform::Url& url)
{
    std::string scheme = url.scheme();
    for (char& c : scheme)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (scheme.rfind("http", 0) == 0)
        return std::nullopt;
    // An application-store or custom scheme is where the ping ends: it has
    // done its job, and the download stops here.
    cachedFileDownloadDidEnd(file);
    return platform::Error(kADSErrorDomain, 0, "tracking ended at a non-HTTP URL");
}

void ADSClickTracker::cachedFileDownloadDidEnd(ADSCachedFile& file)
{
    if (hasTracked_)
        return;
    hasTracked_ = true;
    ADSStatistics::sharedStatistics().addClickTrackingURL(file.sourceURL());
    std::optional<platform::Url> where = trackingURL();
    endBackgroundTask();
    if (delegate_ && where)
        delegate_->didRedirect(*this, *where);
}

void ADSClickTracker::downloadDidFail(ADSCachedFile&, const std::optional<platform::Error>& error)
{
    if (hasTracked_)
        return;
    hasTracked_ = true;
    endBackgroundTask();
    if (delegate_)
        delegate_->didFailWithError(*this, error);
}
