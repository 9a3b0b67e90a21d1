#pragma once
// The bridge of the in-app browser's page, adding to the common one what the
// browser needs: the landing-page timings, the toolbar kept in step with the
// page's loads, and the count of pages the user went to by link or form,
// plain and secure apart.

#include "Delegate/ADSWebViewDelegate.h"

class ADSBrowserController;

class ADSBrowserWebViewDelegate : public ADSWebViewDelegate {
public:
    // The controller owns this delegate (through its private object).
    explicit ADSBrowserWebViewDelegate(ADSBrowserController& browserController);

    bool shouldStartLoadWithRequest(platform::WebView& webView, const platform::UrlRequest& request,
        platform::NavigationType type) override;
    void webViewDidStartLoad(platform::WebView& webView) override;
    void webViewDidFinishLoad(platform::WebView& webView) override;
    void didFailLoadWithError(platform::WebView& webView, const platform::Error& error) override;

private:
    ADSBrowserController* browserController_; // not owned
};
