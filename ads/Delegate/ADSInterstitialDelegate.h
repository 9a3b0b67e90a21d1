#pragma once
// The full-screen ad's counterpart of the banner delegate. Nothing in this
// program makes interstitial ads; the delegate manager still carries the
// slots so that one fan-out serves both kinds. Every method is optional.

class ADSInterstitial;
class ADSRequestError;

class ADSInterstitialDelegate {
public:
    virtual ~ADSInterstitialDelegate() = default;
    virtual void interstitialDidReceiveAd(ADSInterstitial*) { }
    virtual void didFailToReceiveAdWithError(ADSInterstitial*, const ADSRequestError&) { }
    virtual void interstitialWillPresentScreen(ADSInterstitial*) { }
    virtual void interstitialWillDismissScreen(ADSInterstitial*) { }
    virtual void interstitialDidDismissScreen(ADSInterstitial*) { }
    virtual void interstitialWillLeaveApplication(ADSInterstitial*) { }
};
