// The delegate fan-out: order, absent delegates, calls from other threads and
// a last owner that lets go from inside a callback.
#include "Delegate/ADSDelegateManager.h"
#include "Delegate/ADSInterstitialDelegate.h"
#include "Request/ADSRequestError.h"
#include "View/ADSBannerViewDelegate.h"
#include "ads/network/LocalServer.h"
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Recorder : ADSBannerViewDelegate, ADSInterstitialDelegate {
    std::vector<std::string>& log;
    std::string name;
    std::function<void()> onReceive;
    Recorder(std::vector<std::string>& l, std::string n) : log(l), name(std::move(n)) { }
    void adViewDidReceiveAd(ADSBannerView&) override
    {
        log.push_back(name + (platform::RunLoop::isMainThread() ? ":receive" : ":receive off main"));
        if (onReceive)
            onReceive();
    }
    void didFailToReceiveAdWithError(ADSBannerView&, const ADSRequestError& e) override
    {
        log.push_back(name + ":fail " + std::to_string(e.code));
    }
    void interstitialDidReceiveAd(ADSInterstitial*) override { log.push_back(name + ":receive"); }
    void interstitialWillLeaveApplication(ADSInterstitial*) override { log.push_back(name + ":leave"); }
};

// Any address serves as the banner: the manager only passes it on.
ADSBannerView& someBanner()
{
    static int storage;
    return *reinterpret_cast<ADSBannerView*>(&storage);
}

TEST(ADSDelegateManager, BannerThenSdkThenApplicationAndTheManagerOutlivesItsOwnerForTheTurn)
{
    std::vector<std::string> log;
    Recorder banner(log, "banner"), sdk(log, "sdk"), app(log, "app");
    auto manager = ADSDelegateManager::create();
    manager->setBannerDelegate(&banner);
    manager->didReceiveAd(); // no banner to pass: the banner delegate is skipped
    EXPECT_TRUE(log.empty());

    manager->setAdView(&someBanner());
    manager->setInterstitialDelegate(&app);
    manager->setSdkInterstitialDelegate(&sdk);
    manager->willLeaveApplication(); // the banner delegate does not implement it
    manager->didFailToReceiveAdWithError(ADSRequestError::errorWithCode(3, nullptr));
    std::weak_ptr<ADSDelegateManager> watch = manager;
    banner.onReceive = [&] { manager.reset(); };
    ADSDelegateManager* raw = manager.get();
    raw->didReceiveAd();
    EXPECT_EQ(log, (std::vector<std::string> { "sdk:leave", "app:leave", "banner:fail 3", "banner:receive", "sdk:receive",
                       "app:receive" }));
    EXPECT_FALSE(watch.expired()) << "kept for the rest of the turn";
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(watch.expired()) << "and released after it";
}

TEST(ADSDelegateManager, AnEventFromAnotherThreadRunsOnTheMainThreadWhileTheCallerWaits)
{
    std::vector<std::string> log;
    Recorder banner(log, "banner");
    auto manager = ADSDelegateManager::create();
    manager->setBannerDelegate(&banner);
    manager->setAdView(&someBanner());
    std::atomic<bool> returned = false;
    size_t callsWhenReturned = 0;
    std::thread worker([&] {
        manager->didReceiveAd();
        callsWhenReturned = log.size();
        returned = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(callsWhenReturned, 1u) << "the worker waited for the call";
    EXPECT_EQ(log, (std::vector<std::string> { "banner:receive" }));
}

}
