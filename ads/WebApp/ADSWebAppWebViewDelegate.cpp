#include "WebApp/ADSWebAppWebViewDelegate.h"

#include "Notification/ADSNotificationCenter.h"
#include "Request/ADSRequest.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "WebApp/ADSWebAppViewControllerPrivate.h"
#include "platform/ui/Controls.h"

namespace {
bool timingRuns(const char* name)
{
    ADSTiming* t = ADSStatistics::sharedStatistics().timingNamed(name);
    return t && t->isActive();
}
}

ADSWebAppWebViewDelegate::ADSWebAppWebViewDelegate(ADSWebAppViewControllerPrivate& webAppPrivate)
    : webAppPrivate_(&webAppPrivate)
{
}

void ADSWebAppWebViewDelegate::webViewDidStartLoad(platform::WebView& webView)
{
    if (!timingRuns(kADSParameterPriorLandingPageLoad))
        ADSStatistics::sharedStatistics().startTimingNamed(kADSParameterPriorLandingPageLoad);
    ADSWebViewDelegate::webViewDidStartLoad(webView);
}

void ADSWebAppWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView)
{
    if (!timingRuns(kADSParameterPriorLandingPageDuration)) {
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
