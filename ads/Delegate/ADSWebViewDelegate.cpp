#include "Delegate/ADSWebViewDelegate.h"

#include "Network/ADSClickTracker.h"
#include "Notification/ADSNotification.h"
#include "Notification/ADSNotificationCenter.h"
#include "Signals/ADSSignals.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSNetworkUtilities.h"
#include "ViewController/ADSViewController.h"
#include "platform/Components.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/SystemSound.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// The leading integer of a parameter's text ("12px" is 12), 0 when absent.
int intForKey(const char* key, const platform::Dictionary& parameters)
{
    const platform::Value* v = parameters.find(key);
    if (!v)
        return 0;
    if (!v->isString())
        return int(v->asInt64());
    long n = std::strtol(v->asString().c_str(), nullptr, 10);
    return n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : int(n);
}

}

ADSWebViewDelegate::ADSWebViewDelegate()
    : opener_(std::make_unique<ADSOpener>())
{
    // The engine routes a scheme to us only when told before its first page;
    // every ad web view has one of these delegates before it loads anything.
    static const bool registered = [] {
        platform::WebView::registerSchemes(schemes());
        return true;
    }();
    (void)registered;
}

const std::vector<std::string>& ADSWebViewDelegate::schemes()
{
    // The bookstores may be left for; the others are refused, but seen.
    static const std::vector<std::string> list { kURLNotificationScheme, kURLAdNetNotificationScheme, "itms-books",
        "kindle", "sms", "maps", "itms", "itms-apps" };
    return list;
}

ADSWebViewDelegate::~ADSWebViewDelegate()
{
    lifetime_.end();
    platform::RunLoop::main().cancelPerforms(this);
    for (auto& tracker : trackers_)
        tracker->reset();
}

bool ADSWebViewDelegate::shouldStartLoadWithRequest(platform::WebView& webView, const platform::UrlRequest& request,
    platform::NavigationType type)
{
    if (std::optional<std::string> agent = request.header("User-Agent"))
        ADSNetworkUtilities::setUserAgentString(*agent);
    opener_->setViewController(viewController_);
    // Whatever this navigation opens full screen was opened by this page:
    // "evalInOpener" from the new page is evaluated here. Without it no page
    // would ever have an opener to ask.
    opener_->setOpeningWebView(&webView);

    std::optional<platform::Url> url = platform::Url::fromString(request.url);
    if (!url)
        return false;
    const std::string& scheme = url->scheme();
    if (scheme == "file")
        return false;
    if (scheme == "about")
        return true;

    if (ADSNotification::isNotificationURL(*url)) {
        std::optional<ADSNotification> message = ADSNotification::notificationFromURL(*url);
        if (!message) {
            platform::Console::log("<Ads> Refused a message URL that names no message: " + url->absoluteString());
            return false;
        }
        platform::Dictionary action;
        action.set("u", url->absoluteString());
        action.set("a", message->name());
        platform::NotificationCenter::defaultCenter().post(ADSWebViewDelegateDidReceiveWebAction, &webView, std::move(action));
        handleMessage(webView, *url, *message);
        return false;
    }

    // The page's own load of its base URL is no action of the user's.
    if (!(type == platform::NavigationType::Other && url->path().size() <= 1)) {
        platform::Dictionary action;
        action.set("u", url->absoluteString());
        platform::NotificationCenter::defaultCenter().post(ADSWebViewDelegateDidReceiveWebAction, &webView, std::move(action));
    }
    if (scheme == "mailto") {
        opener_->openEmailComposer(*url);
        return false;
    }
    if (scheme == "http" || scheme == "https")
        return true;
    opener_->openApp(*url);
    return false;
}

void ADSWebViewDelegate::handleMessage(platform::WebView& webView, const platform::Url& url, const ADSNotification& message)
{
    const std::string& name = message.name();
    const platform::Dictionary noParameters;
    const platform::Dictionary& parameters = message.parameters() ? *message.parameters() : noParameters;
    if (name == "click") {
        trackURLString(message.parameter("u"), true);
    } else if (name == "close") {
        if (auto* controller = dynamic_cast<ADSViewController*>(viewController_))
            controller->relinquishScreen();
    } else if (name == "httpTrack") {
        trackURLString(message.parameter("u"), false);
    } else if (name == "log") {
        platform::Console::log(message.parameter("string"));
    } else if (name == "open") {
        opener_->openNotification(message);
    } else if (name == "touch") {
        processTouchSignals(parameters);
    } else if (name == "vibrate") {
        platform::SystemSound::play(platform::SystemSound::kVibrate);
    } else if (name == "canOpenURLs") {
        processCanOpenURLs(platform::componentsSeparatedBy(message.parameter("urls"), ','), webView);
    } else if (name == "evalInOpener") {
        if (!openingWebView_.get())
            return;
        // The calling web view lives as long as this delegate: their owner
        // drops both together, and dropping this delegate cancels the call.
        platform::RunLoop::main().performAfter(0, this, [this, js = message.parameter("js"), view = &webView] {
            evaluateJavaScriptInOpener(js, *view);
        });
    } else {
        ADSNotificationCenter::defaultCenter().postNotificationFromURL(url, &webView, 0);
    }
}

void ADSWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView)
{
    notifyWebViewOfOrientationChange(webView, platform::Application::shared().statusBarOrientation());
}

std::optional<std::string> ADSWebViewDelegate::orientationScript(int orientation)
{
    int degrees;
    switch (orientation) {
    case platform::OrientationPortrait:
        degrees = 0;
        break;
    case platform::OrientationPortraitUpsideDown:
        degrees = 180;
        break;
    case platform::OrientationLandscapeRight:
        degrees = 90;
        break;
    case platform::OrientationLandscapeLeft:
        degrees = -90;
        break;
    default:
        return std::nullopt;
    }
    char script[160];
    std::snprintf(script, sizeof script,
        "window.__defineGetter__('orientation',function(){return %i;});window.onorientationchange();", degrees);
    return std::string(script);
}

void ADSWebViewDelegate::notifyWebViewOfOrientationChange(platform::WebView& webView, int orientation)
{
    if (std::optional<std::string> script = orientationScript(orientation))
        webView.stringByEvaluatingJavaScriptFromString(*script);
}

void ADSWebViewDelegate::trackURLString(const std::string& urlString, bool appendSpamSignals)
{
    std::optional<platform::Url> url = platform::Url::fromString(urlString);
    if (url && appendSpamSignals) {
        if (std::optional<std::string> ai = ADSNetworkUtilities::parameterValueForKey("ai", *url)) {
            std::string signal;
            if (ADSSignals::shared().produceClickSignal(*ai, signal) != 0) {
                if (std::optional<platform::Url> signed_ = ADSNetworkUtilities::appendQueryKey(signal, std::nullopt, *url))
                    url = signed_;
            }
        }
    }
    if (!url)
        return;
    // Finished pings are dropped here rather than from their own callbacks.
    std::erase_if(trackers_, [](const std::unique_ptr<ADSClickTracker>& t) { return t->hasTracked(); });
    trackers_.push_back(std::make_unique<ADSClickTracker>());
    trackers_.back()->trackURL(url);
}

void ADSWebViewDelegate::processTouchSignals(const platform::Dictionary& parameters)
{
    ADSSignals::shared().recordTouch(intForKey("tx", parameters), intForKey("ty", parameters), intForKey("td", parameters));
}

void ADSWebViewDelegate::processCanOpenURLs(const std::vector<std::string>& urls, platform::WebView& webView)
{
    ADSNotificationCenter::defaultCenter().postJSNotification(
        "openableURLs", ADSIdentifierUtilities::sharedInstance().canOpenURLs(urls), webView);
}

void ADSWebViewDelegate::evaluateJavaScriptInOpener(const std::string& js, platform::WebView& webView)
{
    platform::WebView* opening = openingWebView_.get();
    if (!opening)
        return;
    opening->stringByEvaluatingJavaScriptFromString(js,
        [alive = lifetime_.watch(), view = &webView](const std::string& result) {
            if (!alive)
                return;
            platform::Dictionary userInfo;
            userInfo.set("result", result);
            ADSNotificationCenter::defaultCenter().postJSNotification("evalJavaScriptInOpenerResult", userInfo, *view);
        });
}
