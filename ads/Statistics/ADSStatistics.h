#pragma once
// The process-wide record of how earlier ads fared (latencies, clicks, landing
// pages, request count), reported and cleared once per ad request. It measures
// nothing by itself: the banner, bridge and browser drive it.

#include "Statistics/ADSStatisticsCore.h"
#include "Timing/ADSTimingManager.h"
#include "platform/Url.h"
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ADSStatistics {
public:
    static ADSStatistics& sharedStatistics();
    // Writes and drops the shared instance; the next sharedStatistics makes a new one.
    static void releaseSharedStatistics();
    static const std::vector<std::string>& allTimingNames();

    ADSStatistics();

    ADSTiming& startTimingNamed(const std::string& name);
    void endTimingNamed(std::string_view name);
    ADSTiming* timingNamed(std::string_view name) { return timingMgr_->timingForCategory(name); }
    void removeTimingNamed(std::string_view name) { timingMgr_->removeTimingForCategory(name); }
    bool isTimingClick();

    int64_t incrementAdRequestCount();
    int64_t adRequestCount() const;
    void setAdRequestCount(int64_t count);
    void incrementClickCount();
    void resetClickCount();
    void incrementPageNavigationCount();
    void resetPageNavigationCount();
    void incrementSSLPageNavigationCount();
    void resetSSLPageNavigationCount();

    void setFlagWithParameterName(const std::string& name);
    void resetFlagWithParameterName(std::string_view name);
    void setBreakOutToSafari();
    void resetBreakOutToSafari();
    void setClickBackgroundedApp();
    void resetClickBackgroundedApp();
    void setAppOpenInterstitialNoFill();
    void resetAppOpenInterstitialNoFill();
    void setAppOpenInterstitialTimeOut();
    void resetAppOpenInterstitialTimeOut();

    void addClickTrackingURL(const platform::Url& url);
    platform::Url urlForClick(const platform::Url& url);
    // The statistics since the previous request; reporting clears them.
    platform::Dictionary parameters();
    void synchronize();

    ADSStatisticsCore& statistics() { return *statistics_; }
    ADSTimingManager& timingManager() { return *timingMgr_; }

private:
    std::unique_ptr<ADSStatisticsCore> statistics_;
    std::unique_ptr<ADSTimingManager> timingMgr_;
};
