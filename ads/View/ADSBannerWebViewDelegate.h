#pragma once
// The bridge of the banner's visible web view: it adds to the common bridge
// what the banner needs: the ad counts as shown when its page has loaded, and
// once it is shown every navigation is a click that opens full-screen
// content instead of moving the banner's own page.

#include "Delegate/ADSWebViewDelegate.h"

class ADSObjectPrivate;

class ADSBannerWebViewDelegate : public ADSWebViewDelegate {
public:
    // `owner` owns this delegate.
    explicit ADSBannerWebViewDelegate(ADSObjectPrivate& owner);

    bool shouldStartLoadWithRequest(platform::WebView& webView, const platform::UrlRequest& request,
        platform::NavigationType type) override;
    void webViewDidFinishLoad(platform::WebView& webView) override;
    void didFailLoadWithError(platform::WebView& webView, const platform::Error& error) override;

private:
    ADSObjectPrivate* private_; // not owned
};
