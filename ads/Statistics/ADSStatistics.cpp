#include "Statistics/ADSStatistics.h"
#include "ADSConfiguration.h"
#include "Signals/ADSSignals.h"
#include "Utility/ADSNetworkUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "platform/Clock.h"
#include <cmath>

namespace {

// The shared instance lives for the process: it is not destroyed at exit,
// when the settings store it writes to may already be gone. Its timings are
// written on the termination notification instead.
ADSStatistics*& sharedSlot()
{
    static ADSStatistics* instance = nullptr;
    return instance;
}

// Message URLs of ad pages are navigation inside the ad, not clicks.
bool isNotificationURL(const platform::Url& url)
{
    return url.scheme() == "amsg" || url.scheme() == "adnet";
}

constexpr const char* kClickDateKey = "date";

}

ADSStatistics& ADSStatistics::sharedStatistics()
{
    ADSStatistics*& slot = sharedSlot();
    if (!slot)
        slot = new ADSStatistics();
    return *slot;
}

void ADSStatistics::releaseSharedStatistics()
{
    ADSStatistics* old = sharedSlot();
    sharedSlot() = nullptr;
    delete old;
}

const std::vector<std::string>& ADSStatistics::allTimingNames()
{
    static const std::vector<std::string> names = {
        kADSParameterPriorRequestLatency,
        kADSParameterPriorClickLatency,
        kADSParameterPriorClickString,
        kADSParameterPriorPreClickLatency,
        kADSParameterPriorClickRedirectLatency,
        kADSParameterPriorLandingPageLoad,
        kADSParameterPriorLandingPageDuration,
        kADSParameterTimeSinceFirstRequest,
    };
    return names;
}

ADSStatistics::ADSStatistics()
    : statistics_(std::make_unique<ADSStatisticsCore>("shared"))
    , timingMgr_(std::make_unique<ADSTimingManager>("shared"))
{
}

ADSTiming& ADSStatistics::startTimingNamed(const std::string& name)
{
    timingMgr_->removeTimingForCategory(name);
    ADSTiming& t = timingMgr_->addTimingWithCategory(name);
    t.start();
    return t;
}

void ADSStatistics::endTimingNamed(std::string_view name)
{
    if (ADSTiming* t = timingMgr_->timingForCategory(name))
        t->end();
}

bool ADSStatistics::isTimingClick()
{
    ADSTiming* t = timingNamed(kADSParameterPriorClickLatency);
    return t && t->isActive();
}

int64_t ADSStatistics::incrementAdRequestCount()
{
    return statistics_->addValue(1, kADSParameterTotalAdRequests);
}

int64_t ADSStatistics::adRequestCount() const
{
    const platform::Value* v = statistics_->numberForKey(kADSParameterTotalAdRequests);
    return v ? v->asInt64() : 0;
}

void ADSStatistics::setAdRequestCount(int64_t count)
{
    statistics_->setNumber(platform::Value(count), kADSParameterTotalAdRequests);
}

void ADSStatistics::incrementClickCount() { statistics_->addValue(1, kADSParameterPriorClickCount); }
void ADSStatistics::resetClickCount() { statistics_->setNumber(platform::Value(0), kADSParameterPriorClickCount); }
void ADSStatistics::incrementPageNavigationCount() { statistics_->addValue(1, kADSParameterPriorLandingPageNavCount); }
void ADSStatistics::resetPageNavigationCount() { statistics_->setNumber(platform::Value(0), kADSParameterPriorLandingPageNavCount); }
void ADSStatistics::incrementSSLPageNavigationCount() { statistics_->addValue(1, kADSParameterPriorLandingPageSSLNavCount); }
void ADSStatistics::resetSSLPageNavigationCount() { statistics_->setNumber(platform::Value(0), kADSParameterPriorLandingPageSSLNavCount); }

void ADSStatistics::setFlagWithParameterName(const std::string& name)
{
    statistics_->setNumber(platform::Value(1), name);
}

void ADSStatistics::resetFlagWithParameterName(std::string_view name)
{
    statistics_->removeObjectForKey(name);
}

void ADSStatistics::setBreakOutToSafari() { setFlagWithParameterName(kADSParameterPriorClickBreakOut); }
void ADSStatistics::resetBreakOutToSafari() { resetFlagWithParameterName(kADSParameterPriorClickBreakOut); }
void ADSStatistics::setClickBackgroundedApp() { setFlagWithParameterName(kADSParameterPriorClickBackgroundedApp); }
void ADSStatistics::resetClickBackgroundedApp() { resetFlagWithParameterName(kADSParameterPriorClickBackgroundedApp); }
void ADSStatistics::setAppOpenInterstitialNoFill() { setFlagWithParameterName(kADSParameterAppOpenInterstitialNoFill); }
void ADSStatistics::resetAppOpenInterstitialNoFill() { resetFlagWithParameterName(kADSParameterAppOpenInterstitialNoFill); }
void ADSStatistics::setAppOpenInterstitialTimeOut() { setFlagWithParameterName(kADSParameterAppOpenInterstitialTimedOut); }
void ADSStatistics::resetAppOpenInterstitialTimeOut() { resetFlagWithParameterName(kADSParameterAppOpenInterstitialTimedOut); }

void ADSStatistics::addClickTrackingURL(const platform::Url& url)
{
    // The host must be the tracking domain itself or a name below it: a bare
    // suffix test would also accept look-alike hosts such as "evilclk.tolvane.org".
    const std::string& host = url.host();
    const std::string domain = kADSClickTrackingDomain;
    bool ours = host == domain
        || (host.size() > domain.size() && host.compare(host.size() - domain.size(), domain.size(), domain) == 0
            && host[host.size() - domain.size() - 1] == '.');
    if (!ours || url.path().size() < 5)
        return;
    if (ADSTiming* click = timingNamed(kADSParameterPriorClickLatency))
        click->setValue(platform::Value(url.path().substr(4)), kADSParameterPriorImpressionTicketString);
}

platform::Url ADSStatistics::urlForClick(const platform::Url& url)
{
    if (isNotificationURL(url) || url.absoluteString() == "about:blank")
        return url;
    incrementClickCount();
    startTimingNamed(kADSParameterPriorClickLatency);
    startTimingNamed(kADSParameterPriorClickRedirectLatency);
    endTimingNamed(kADSParameterPriorPreClickLatency);
    timingNamed(kADSParameterPriorClickLatency)
        ->setValue(platform::Value(platform::Clock::shared().currentDate()), kClickDateKey);

    platform::Url result = url;
    std::optional<std::string> ai = ADSNetworkUtilities::parameterValueForKey("ai", url);
    if (ai && !ai->empty()) {
        timingNamed(kADSParameterPriorClickLatency)->setValue(platform::Value(*ai), kADSParameterPriorClickString);
        std::string signal;
        if (ADSSignals::shared().produceClickSignal(*ai, signal) != 0) {
            if (std::optional<platform::Url> rewritten = ADSNetworkUtilities::appendQueryKey(signal, std::string(), url))
                result = *rewritten;
        }
    }
    endTimingNamed(kADSParameterPriorClickRedirectLatency);
    return result;
}

platform::Dictionary ADSStatistics::parameters()
{
    if (!timingNamed(kADSParameterPriorClickLatency))
        removeTimingNamed(kADSParameterPriorPreClickLatency);

    uint32_t backgrounded = 0;
    if (ADSTiming* click = timingNamed(kADSParameterPriorClickLatency)) {
        if (statistics_->objectForKey(kADSParameterPriorClickBackgroundedApp)) {
            if (const platform::Value* date = click->valueForKey(kClickDateKey); date && date->isDate()) {
                double ms = std::trunc(std::fabs(platform::Clock::shared().now() - date->asDate().secondsSince1970) * 1000.0);
                backgrounded = ms >= 4294967295.0 ? 4294967295u : uint32_t(ms);
            }
        }
        click->removeValueForKey(kClickDateKey);
    }

    platform::Dictionary result;
    for (const std::string& name : allTimingNames()) {
        ADSTiming* t = timingNamed(name);
        if (!t)
            continue;
        result.set(name, t->elapsedMillisecondsString());
        for (const auto& [key, value] : t->keysAndValues())
            result.set(key, value);
        if (name != kADSParameterTimeSinceFirstRequest)
            removeTimingNamed(name);
    }
    if (backgrounded != 0)
        result.set(kADSParameterPriorClickLatency, platform::Value(int64_t(backgrounded)));

    for (const char* name : { kADSParameterTotalAdRequests, kADSParameterPriorClickBreakOut,
             kADSParameterAppOpenInterstitialTimedOut, kADSParameterAppOpenInterstitialNoFill,
             kADSParameterPriorClickBackgroundedApp, kADSParameterPriorLandingPageNavCount,
             kADSParameterPriorLandingPageSSLNavCount, kADSParameterPriorClickCount }) {
        const platform::Value* v = statistics_->numberForKey(name);
        if (v && v->asInt64() != 0)
            result.set(name, *v);
    }
    for (const char* flag : { kADSParameterPriorClickBreakOut, kADSParameterAppOpenInterstitialTimedOut,
             kADSParameterAppOpenInterstitialNoFill, kADSParameterPriorClickBackgroundedApp })
        resetFlagWithParameterName(flag);
    resetPageNavigationCount();
    resetSSLPageNavigationCount();
    resetClickCount();
    return result;
}

void ADSStatistics::synchronize()
{
    statistics_->synchronize();
    timingMgr_->synchronize();
}
