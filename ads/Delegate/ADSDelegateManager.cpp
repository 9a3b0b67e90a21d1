#include "Delegate/ADSDelegateManager.h"

#include "Delegate/ADSInterstitialDelegate.h"
#include "Request/ADSRequestError.h"
#include "View/ADSBannerViewDelegate.h"
#include "platform/RunLoop.h"

std::shared_ptr<ADSDelegateManager> ADSDelegateManager::create()
{
    return std::shared_ptr<ADSDelegateManager>(new ADSDelegateManager());
}

// A delegate may release the banner, and with it this manager, from inside its
// callback; the manager stays alive until the current turn of the run loop ends.
void ADSDelegateManager::keepAliveForThisTurn()
{
    platform::RunLoop::main().post([keep = shared_from_this()] { });
}

template<typename BannerCall, typename InterstitialCall>
void ADSDelegateManager::dispatch(const std::function<void()>& reissue, BannerCall banner, InterstitialCall interstitial)
{
    if (!platform::RunLoop::isMainThread()) {
        platform::RunLoop::main().runOnMainAndWait(reissue);
        return;
    }
    keepAliveForThisTurn();
    if (bannerDelegate_ && adView_)
        banner(*bannerDelegate_, *adView_);
    // Read again after each call: a callback may have cleared the next slot.
    if (sdkInterstitialDelegate_)
        interstitial(*sdkInterstitialDelegate_, interstitial_);
    if (interstitialDelegate_)
        interstitial(*interstitialDelegate_, interstitial_);
}

void ADSDelegateManager::didReceiveAd()
{
    dispatch([this] { didReceiveAd(); },
        [](ADSBannerViewDelegate& d, ADSBannerView& v) { d.adViewDidReceiveAd(v); },
        [](ADSInterstitialDelegate& d, ADSInterstitial* i) { d.interstitialDidReceiveAd(i); });
}

void ADSDelegateManager::didFailToReceiveAdWithError(const ADSRequestError& error)
{
    dispatch([this, &error] { didFailToReceiveAdWithError(error); },
        [&error](ADSBannerViewDelegate& d, ADSBannerView& v) { d.didFailToReceiveAdWithError(v, error); },
        [&error](ADSInterstitialDelegate& d, ADSInterstitial* i) { d.didFailToReceiveAdWithError(i, error); });
}

void ADSDelegateManager::willPresentScreen()
{
    dispatch([this] { willPresentScreen(); },
        [](ADSBannerViewDelegate& d, ADSBannerView& v) { d.adViewWillPresentScreen(v); },
        [](ADSInterstitialDelegate& d, ADSInterstitial* i) { d.interstitialWillPresentScreen(i); });
}

void ADSDelegateManager::willDismissScreen()
{
    dispatch([this] { willDismissScreen(); },
        [](ADSBannerViewDelegate& d, ADSBannerView& v) { d.adViewWillDismissScreen(v); },
        [](ADSInterstitialDelegate& d, ADSInterstitial* i) { d.interstitialWillDismissScreen(i); });
}

void ADSDelegateManager::didDismissScreen()
{
    dispatch([this] { didDismissScreen(); },
        [](ADSBannerViewDelegate& d, ADSBannerView& v) { d.adViewDidDismissScreen(v); },
        [](ADSInterstitialDelegate& d, ADSInterstitial* i) { d.interstitialDidDismissScreen(i); });
}

void ADSDelegateManager::willLeaveApplication()
{
    dispatch([this] { willLeaveApplication(); },
        [](ADSBannerViewDelegate& d, ADSBannerView& v) { d.adViewWillLeaveApplication(v); },
        [](ADSInterstitialDelegate& d, ADSInterstitial* i) { d.interstitialWillLeaveApplication(i); });
}
