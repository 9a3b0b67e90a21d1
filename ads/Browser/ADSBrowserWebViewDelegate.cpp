#include "Browser/ADSBrowserWebViewDelegate.h"

#include "Browser/ADSBrowserController.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSParameterNames.h"

ADSBrowserWebViewDelegate::ADSBrowserWebViewDelegate(ADSBrowserController& browserController)
    : browserController_(&browserController)
{
}

bool ADSBrowserWebViewDelegate::shouldStartLoadWithRequest(platform::WebView& webView,
    const platform::UrlRequest& request, platform::NavigationType type)
{
    // Only the user's own moves count: links and forms, not script or reloads.
    if (type == platform::NavigationType::LinkClicked || type == platform::NavigationType::FormSubmitted) {
        if (std::optional<platform::Url> url = platform::Url::fromString(request.url)) {
            if (url->scheme() == "http")
                ADSStatistics::sharedStatistics().incrementPageNavigationCount();
            else if (url->scheme() == "https")
                ADSStatistics::sharedStatistics().incrementSSLPageNavigationCount();
        }
    }
    return ADSWebViewDelegate::shouldStartLoadWithRequest(webView, request, type);
}

void ADSBrowserWebViewDelegate::webViewDidStartLoad(platform::WebView& webView)
{
    auto& statistics = ADSStatistics::sharedStatistics();
    if (!statistics.timingNamed(kADSParameterPriorLandingPageLoad))
        statistics.startTimingNamed(kADSParameterPriorLandingPageLoad);
    ADSWebViewDelegate::webViewDidStartLoad(webView);
    browserController_->refreshToolbar();
}

void ADSBrowserWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView)
{
    auto& statistics = ADSStatistics::sharedStatistics();
    if (!statistics.timingNamed(kADSParameterPriorLandingPageDuration)) {
        statistics.endTimingNamed(kADSParameterPriorLandingPageLoad);
        statistics.startTimingNamed(kADSParameterPriorLandingPageDuration);
    }
    ADSWebViewDelegate::webViewDidFinishLoad(webView);
    browserController_->refreshToolbar();
}

void ADSBrowserWebViewDelegate::didFailLoadWithError(platform::WebView& webView, const platform::Error& error)
{
    ADSWebViewDelegate::didFailLoadWithError(webView, error);
    browserController_->refreshToolbar();
}
