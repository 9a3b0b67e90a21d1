#pragma once
// Fans one ad event out to the banner delegate and the two interstitial
// delegates, always on the main thread: an event raised on another thread is
// run on the main one while the caller waits. It owns none of the delegates.

#include <functional>
#include <memory>

class ADSBannerView;
class ADSBannerViewDelegate;
class ADSInterstitial;
class ADSInterstitialDelegate;
class ADSRequestError;

class ADSDelegateManager : public std::enable_shared_from_this<ADSDelegateManager> {
public:
    static std::shared_ptr<ADSDelegateManager> create();
    ADSDelegateManager(const ADSDelegateManager&) = delete;
    ADSDelegateManager& operator=(const ADSDelegateManager&) = delete;

    void didReceiveAd();
    void didFailToReceiveAdWithError(const ADSRequestError& error);
    void willPresentScreen();
    void willDismissScreen();
    void didDismissScreen();
    void willLeaveApplication();

    // All non-owning. A delegate that goes away clears itself here first.
    ADSBannerViewDelegate* bannerDelegate() const { return bannerDelegate_; }
    void setBannerDelegate(ADSBannerViewDelegate* delegate) { bannerDelegate_ = delegate; }
    ADSBannerView* adView() const { return adView_; }
    void setAdView(ADSBannerView* view) { adView_ = view; }
    ADSInterstitialDelegate* interstitialDelegate() const { return interstitialDelegate_; }
    void setInterstitialDelegate(ADSInterstitialDelegate* delegate) { interstitialDelegate_ = delegate; }
    ADSInterstitialDelegate* sdkInterstitialDelegate() const { return sdkInterstitialDelegate_; }
    void setSdkInterstitialDelegate(ADSInterstitialDelegate* delegate) { sdkInterstitialDelegate_ = delegate; }
    ADSInterstitial* interstitial() const { return interstitial_; }
    void setInterstitial(ADSInterstitial* interstitial) { interstitial_ = interstitial; }

private:
    ADSDelegateManager() = default;
    template<typename BannerCall, typename InterstitialCall>
    void dispatch(const std::function<void()>& reissue, BannerCall banner, InterstitialCall interstitial);
    void keepAliveForThisTurn();

    ADSBannerViewDelegate* bannerDelegate_ = nullptr;
    ADSBannerView* adView_ = nullptr;
    ADSInterstitialDelegate* interstitialDelegate_ = nullptr;
    ADSInterstitialDelegate* sdkInterstitialDelegate_ = nullptr;
    ADSInterstitial* interstitial_ = nullptr;
};
