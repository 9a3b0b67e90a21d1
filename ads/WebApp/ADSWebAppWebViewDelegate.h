#pragma once
// The bridge of a web app's page, adding the web app's own events to the
// common one: the landing-page timings, the spinner that goes with the first
// load, and "onshow", which the page hears exactly once, when it has both
// loaded and appeared, whichever comes last.

#include "Delegate/ADSWebViewDelegate.h"

struct ADSWebAppViewControllerPrivate;

class ADSWebAppWebViewDelegate : public ADSWebViewDelegate {
public:
    // The controller's private object owns this delegate.
    explicit ADSWebAppWebViewDelegate(ADSWebAppViewControllerPrivate& webAppPrivate);

    void webViewDidStartLoad(platform::WebView& webView) override;
    void webViewDidFinishLoad(platform::WebView& webView) override;

    // Set when the controller has appeared.
    void setPendingOnShow(bool pending);
    bool pendingOnShow() const { return pendingOnShow_; }
    bool calledOnShow() const { return calledOnShow_; }
    void postOnShowEvent();

private:
    ADSWebAppViewControllerPrivate* webAppPrivate_; // not owned
    bool pendingOnShow_ = false;
    bool calledOnShow_ = false;
};
