// The delegate fan-out: order, absent delegates, calls from other threads and
// delegates that let go of everything from inside their callback.
#include "Delegate/ADSDelegateManager.h"
#include "Delegate/ADSInterstitialDelegate.h"
#include "Request/ADSRequestError.h"
#include "View/ADSBannerViewDelegate.h"
#include "ads/network/LocalServer.h"
#include "platform/RunLoop.h"
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Log {
    std::vector<std::string> calls;
};

struct Banner : ADSBannerViewDelegate {
    Log& log;
    std::function<void()> onReceive;
    explicit Banner(Log& l) : log(l) { }
    void adViewDidReceiveAd(ADSBannerView&) override
    {
        log.calls.push_back(std::string("banner:receive:") + (platform::RunLoop::isMainThread() ? "main" : "other"));
        if (onReceive)
            onReceive();
    }
    void didFailToReceiveAdWithError(ADSBannerView&, const ADSRequestError& e) override
    {
        log.calls.push_back("banner:fail:" + std::to_string(e.code));
    }
    void adViewWillLeaveApplication(ADSBannerView&) override { log.calls.push_back("banner:leave"); }
};

struct Interstitial : ADSInterstitialDelegate {
    Log& log;
    std::string name;
    Interstitial(Log& l, std::string n) : log(l), name(std::move(n)) { }
    void interstitialDidReceiveAd(ADSInterstitial*) override { log.calls.push_back(name + ":receive"); }
    void interstitialWillLeaveApplication(ADSInterstitial*) override { log.calls.push_back(name + ":leave"); }
};

// Any address serves as the banner: the manager only passes it on.
ADSBannerView& someBanner()
{
    static int storage;
    return *reinterpret_cast<ADSBannerView*>(&storage);
}

TEST(ADSDelegateManager, CallsBannerThenSdkThenApplicationInterstitialDelegates)
{
    Log log;
    Banner banner(log);
    Interstitial sdk(log, "sdk"), app(log, "app");
    auto manager = ADSDelegateManager::create();
    manager->didReceiveAd(); // nobody listens: nothing happens
    manager->setBannerDelegate(&banner);
    manager->didReceiveAd(); // no banner to pass: the banner delegate is skipped
    EXPECT_TRUE(log.calls.empty());

    manager->setAdView(&someBanner());
    manager->setInterstitialDelegate(&app);
    manager->setSdkInterstitialDelegate(&sdk);
    manager->didReceiveAd();
    manager->willLeaveApplication();
    manager->willPresentScreen(); // no delegate implements it
    manager->didFailToReceiveAdWithError(ADSRequestError::errorWithCode(3, nullptr));
    EXPECT_EQ(log.calls, (std::vector<std::string> { "banner:receive:main", "sdk:receive", "app:receive",
                             "banner:leave", "sdk:leave", "app:leave", "banner:fail:3" }));
}

TEST(ADSDelegateManager, AnEventFromAnotherThreadRunsOnTheMainThreadWhileTheCallerWaits)
{
    Log log;
    Banner banner(log);
    auto manager = ADSDelegateManager::create();
    manager->setBannerDelegate(&banner);
    manager->setAdView(&someBanner());
    std::atomic<bool> returned = false;
    std::atomic<size_t> callsWhenReturned = 0;
    std::thread worker([&] {
        manager->didReceiveAd();
        callsWhenReturned = log.calls.size();
        returned = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return returned.load(); }, 10));
    worker.join();
    EXPECT_EQ(callsWhenReturned.load(), 1u) << "the worker waited for the call";
    EXPECT_EQ(log.calls, (std::vector<std::string> { "banner:receive:main" }));
}

TEST(ADSDelegateManager, SurvivesItsLastOwnerLettingGoInsideTheCallbackUntilTheTurnEnds)
{
    Log log;
    Banner banner(log);
    Interstitial app(log, "app");
    auto manager = ADSDelegateManager::create();
    std::weak_ptr<ADSDelegateManager> watch = manager;
    manager->setBannerDelegate(&banner);
    manager->setAdView(&someBanner());
    manager->setInterstitialDelegate(&app);
    banner.onReceive = [&] { manager.reset(); };
    ADSDelegateManager* raw = manager.get();
    raw->didReceiveAd();
    EXPECT_FALSE(watch.expired()) << "kept for the rest of the turn";
    EXPECT_EQ(log.calls, (std::vector<std::string> { "banner:receive:main", "app:receive" }));
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(watch.expired()) << "and released after it";
}

}
