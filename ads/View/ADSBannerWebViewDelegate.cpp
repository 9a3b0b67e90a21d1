#include "View/ADSBannerWebViewDelegate.h"

#include "Delegate/ADSDelegateManager.h"
#include "Notification/ADSNotification.h"
#include "platform/RunLoop.h"
#include "Object/ADSObjectPrivate.h"
#include "Request/ADSRequestError.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSParameterNames.h"

ADSBannerWebViewDelegate::ADSBannerWebViewDelegate(ADSObjectPrivate& owner)
    : private_(&owner)
{
}

bool ADSBannerWebViewDelegate::shouldStartLoadWithRequest(platform::WebView& webView,
    const platform::UrlRequest& request, platform::NavigationType type)
{
    setViewController(private_->rootViewController());
    opener().setDelegateManager(private_->delegateManager());
    opener().setViewController(viewController());
    if (private_->state() != ADSObjectPrivate::AdShown)
        return ADSWebViewDelegate::shouldStartLoadWithRequest(webView, request, type);

    // The ad is up: whatever the page navigates to is the user's click on it.
    std::optional<platform::Url> url = platform::Url::fromString(request.url);
    if (!url)
        return false;
    // Unless full-screen content covers the banner: then nobody clicked it,
    // and a page that navigates by itself would open screen upon screen. Its
    // messages still reach the bridge (a landing page may be talking to it
    // through evalInOpener), all but another "open".
    if (private_->isCoveredByFullScreenContent()) {
        std::optional<ADSNotification> message = ADSNotification::notificationFromURL(*url);
        if (!message || message->name() == "open")
            return false;
        return ADSWebViewDelegate::shouldStartLoadWithRequest(webView, request, type);
    }
    const platform::Url clickURL = ADSStatistics::sharedStatistics().urlForClick(*url);
    const std::vector<platform::Url> clickTracking = private_->pendingClickURLs();
    private_->trackURLs(clickTracking);
    if (!ADSWebViewDelegate::shouldStartLoadWithRequest(webView, request, type))
        return false;
    std::optional<platform::UrlRequest> current = webView.request();
    opener().setReferringURL(current ? platform::Url::fromString(current->url) : std::nullopt);
    if (clickURL.scheme().rfind("http", 0) == 0) {
        if (!clickTracking.empty())
            opener().openWebApp(clickURL, private_->supportedOrientations());
        else
            opener().openBrowserToURL(clickURL, private_->supportedOrientations());
    }
    return false;
}

void ADSBannerWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView)
{
    ADSWebViewDelegate::webViewDidFinishLoad(webView);
    if (private_->state() != ADSObjectPrivate::ShowingAd)
        return;
    private_->changeState(ADSObjectPrivate::AdShown);
    private_->webView().setHidden(false);
    private_->retainForThisTurn();
    private_->delegateManager()->didReceiveAd();
    if (private_->isDetached())
        return;
    private_->trackURLs(private_->pendingTrackingURLs());
    ADSStatistics::sharedStatistics().endTimingNamed(kADSParameterPriorRequestLatency);
    // From the ad's display to a click on it.
    ADSStatistics::sharedStatistics().startTimingNamed(kADSParameterPriorPreClickLatency);
}

void ADSBannerWebViewDelegate::didFailLoadWithError(platform::WebView&, const platform::Error&)
{
    // After a failure (a page whose time ran out is stopped), the load's end
    // is no second one.
    if (private_->state() == ADSObjectPrivate::AdShown || private_->state() == ADSObjectPrivate::Failed)
        return;
    private_->changeState(ADSObjectPrivate::Failed);
    private_->reportError(ADSRequestError::NetworkError);
}
