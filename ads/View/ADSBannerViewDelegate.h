#pragma once
// What a banner tells the application: an ad arrived or failed, full-screen
// content comes and goes, the user leaves for another application. Every
// method is optional and called on the main thread; it keeps no state.

class ADSBannerView;
class ADSRequestError;

class ADSBannerViewDelegate {
public:
    virtual ~ADSBannerViewDelegate() = default;
    virtual void adViewDidReceiveAd(ADSBannerView&) { }
    virtual void didFailToReceiveAdWithError(ADSBannerView&, const ADSRequestError&) { }
    virtual void adViewWillPresentScreen(ADSBannerView&) { }
    virtual void adViewWillDismissScreen(ADSBannerView&) { }
    virtual void adViewDidDismissScreen(ADSBannerView&) { }
    virtual void adViewWillLeaveApplication(ADSBannerView&) { }
};
