#include "WebApp/ADSWebAppWebViewDelegate.h"

#include "Notification/ADSNotificationCenter.h"
#include "Request/ADSRequest.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "WebApp/ADSWebAppViewControllerPrivate.h"
#include "platform/ui/Controls.h"

ADSWebAppWebViewDelegate::ADSWebAppWebViewDelegate(ADSWebAppViewControllerPrivate& webAppPrivate)
    : webAppPrivate_(&webAppPrivate)
{
}

// The landing page's load is timed once per reporting period, as in the
// browser: a later page of the web app neither starts it again (losing the
// first load's time) nor leaves it running.
void ADSWebAppWebViewDelegate::webViewDidStartLoad(platform::WebView& webView)
{
    if (!ADSStatistics::sharedStatistics().timingNamed(kADSParameterPriorLandingPageLoad))
        ADSStatistics::sharedStatistics().startTimingNamed(kADSParameterPriorLandingPageLoad);
    ADSWebViewDelegate::webViewDidStartLoad(webView);
}

void ADSWebAppWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView)
{
    if (!ADSStatistics::sharedStatistics().timingNamed(kADSParameterPriorLandingPageDuration)) {
        auto& statistics = ADSStatistics::sharedStatistics();
        statistics.endTimingNamed(kADSParameterPriorLandingPageLoad);
        statistics.startTimingNamed(kADSParameterPriorLandingPageDuration);
    }
    ADSWebViewDelegate::webViewDidFinishLoad(webView);
    if (!webAppPrivate_->loaded_) {
        webAppPrivate_->loaded_ = true;
        if (webAppPrivate_->loadingSpinner_) {
            webAppPrivate_->loadingSpinner_->removeFromSuperview();
            webAppPrivate_->loadingSpinner_.reset();
        }
    }
    postOnShowEvent();
}

void ADSWebAppWebViewDelegate::setPendingOnShow(bool pending)
{
    pendingOnShow_ = pending;
    platform::WebView* webView = webAppPrivate_->webView_.get();
    if (webView && !webView->isLoading())
        postOnShowEvent();
}

void ADSWebAppWebViewDelegate::postOnShowEvent()
{
    platform::WebView* webView = webAppPrivate_->webView_.get();
    if (!pendingOnShow_ || calledOnShow_ || !webView)
        return;
    platform::Dictionary info;
    info.set("version", ADSRequest::sdkVersion());
    info.set("device", ADSIdentifierUtilities::sharedInstance().deviceSubmodel());
    ADSNotificationCenter::defaultCenter().postJSNotification("onshow", info, *webView);
    calledOnShow_ = true;
}
