#include "Opener/ADSOpener.h"

#include "Browser/ADSBrowserController.h"
#include "Delegate/ADSDelegateManager.h"
#include "Network/ADSClickTracker.h"
#include "Notification/ADSNotification.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSNetworkUtilities.h"
#include "WebApp/ADSWebAppViewController.h"
#include "platform/Clock.h"
#include "platform/Components.h"
#include "platform/Console.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

#include <algorithm>

namespace {

// Deferrals of leaving so far, across openers: a new open after the last
// deferral starts counting from 0 again.
int repeatCount = 0;
constexpr double kTrackingWait = 0.3;
constexpr int kMaximumDeferrals = 3;
// On a handheld, leaving sends the application away and its ad pages stop.
// Here they run on, and a page that asks again and again would open the
// desktop's browser again and again; one leave a second is the most a user
// could mean.
constexpr double kLeaveInterval = 1;
double lastLeft = -kLeaveInterval;

// What may take the user out of the application: the web, mail, the
// telephone and the two bookstores whose presence ad requests report. Files,
// script, inline data and every other scheme stay in.
constexpr const char* kLeavingSchemes[] = { "http", "https", "mailto", "tel", "itms-books", "kindle" };

// Runs apart from any opener: the one that asked may be gone (the browser's
// "View in Safari" uses one for this call alone), and the user's tap still counts.
void leaveFor(const platform::Url& url, const std::shared_ptr<ADSDelegateManager>& manager)
{
    if (ADSClickTracker::activeTrackings() && repeatCount++ < kMaximumDeferrals) {
        platform::RunLoop::main().performAfter(kTrackingWait, nullptr, [url, manager] { leaveFor(url, manager); });
        return;
    }
    repeatCount = 0;
    std::string text = url.absoluteString();
    // The application hears that the user leaves only when something will
    // take the user.
    if (!platform::Application::shared().canOpenURL(text)) {
        platform::Console::log("<Ads> Nothing here opens a \"" + url.scheme() + "\" URL");
        return;
    }
    const double now = platform::Clock::shared().now();
    if (now - lastLeft < kLeaveInterval) {
        platform::Console::log("<Ads> Refused to leave the application again within a second");
        return;
    }
    lastLeft = now;
    if (manager)
        manager->willLeaveApplication();
    platform::RunLoop::main().post([text = std::move(text)] { platform::Application::shared().openURL(text); });
}

std::string stringFor(const platform::Dictionary& d, const char* key)
{
    const platform::Value* v = d.find(key);
    return v && v->isString() ? v->asString() : std::string();
}

}

ADSOpener::~ADSOpener()
{
    // A composer still up goes with its opener, without a word to anyone.
    if (composer_) {
        composer_->setMailComposeDelegate(nullptr);
        composer_->dismissModalViewControllerAnimated(false);
    }
}

int ADSOpener::orientationsFromString(const std::string& o)
{
    if (o == "p")
        return 2;
    if (o == "l")
        return 3;
    return 1;
}

void ADSOpener::openNotification(const ADSNotification& message)
{
    const std::string& action = message.parameter("a");
    const std::string& html = message.parameter("html");
    std::optional<platform::Url> url = platform::Url::fromString(message.parameter("u"));
    if (!url && !(action == "webapp" && !html.empty()))
        return;
    const int orientations = orientationsFromString(message.parameter("o"));
    std::optional<platform::Url> clickURL;
    if (url)
        clickURL = ADSStatistics::sharedStatistics().urlForClick(*url);

    if (action == "browser" || action == "video") {
        if (clickURL)
            openBrowserToURL(*clickURL, orientations);
    } else if (action == "webapp") {
        if (clickURL)
            openWebApp(*clickURL, orientations);
        else
            openWebAppWithHTML(html, orientations);
    } else {
        openApp(clickURL);
    }
}

std::shared_ptr<ADSBrowserController> ADSOpener::openBrowserToURL(const platform::Url& url, int supportedOrientations)
{
    auto browser = std::make_shared<ADSBrowserController>();
    browser->setSupportedOrientations(supportedOrientations);
    browser->setOpeningWebView(openingWebView());
    browser->load(url, referringURL_);
    if (delegateManager_)
        browser->setDelegateManager(delegateManager_);
    browser->presentFromViewController(viewController_);
    return browser;
}

std::shared_ptr<ADSWebAppViewController> ADSOpener::webAppOrientations(int supportedOrientations)
{
    auto webApp = std::make_shared<ADSWebAppViewController>();
    webApp->setSupportedOrientations(supportedOrientations);
    webApp->setOpeningWebView(openingWebView());
    if (delegateManager_)
        webApp->setDelegateManager(delegateManager_);
    return webApp;
}

std::shared_ptr<ADSWebAppViewController> ADSOpener::openWebApp(const platform::Url& url, int supportedOrientations)
{
    auto webApp = webAppOrientations(supportedOrientations);
    webApp->load(url);
    webApp->presentFromViewController(viewController_);
    return webApp;
}

std::shared_ptr<ADSWebAppViewController> ADSOpener::openWebAppWithHTML(const std::string& html, int supportedOrientations)
{
    auto webApp = webAppOrientations(supportedOrientations);
    webApp->loadHTML(html, std::nullopt);
    webApp->presentFromViewController(viewController_);
    return webApp;
}

bool ADSOpener::mayLeaveFor(const platform::Url& url)
{
    return std::any_of(std::begin(kLeavingSchemes), std::end(kLeavingSchemes),
        [&](const char* scheme) { return url.scheme() == scheme; });
}

void ADSOpener::openApp(const std::optional<platform::Url>& url)
{
    if (!url)
        return;
    if (!mayLeaveFor(*url)) {
        platform::Console::log("<Ads> Refused to leave the application for a \"" + url->scheme() + "\" URL");
        return;
    }
    leaveFor(*url, delegateManager_);
}

void ADSOpener::openEmailComposer(const platform::Url& url)
{
    if (!viewController_) {
        platform::Console::log("<Ads> No UIViewController supplied to the ad.  Cannot continue.");
        return;
    }
    if (composer_) {
        platform::Console::log("<Ads> A mail composer is open already; not opening another");
        return;
    }
    const std::string& text = url.absoluteString();
    std::string rest = text.size() > 7 ? text.substr(7) : std::string();
    size_t question = rest.find('?');
    std::string recipient = rest.substr(0, question);
    platform::Dictionary query;
    if (question != std::string::npos)
        query = ADSNetworkUtilities::dictionaryFromQueryString(rest.substr(question + 1));

    auto composer = std::make_unique<platform::MailComposeViewController>();
    composer->setMailComposeDelegate(this);
    if (!recipient.empty())
        composer->setToRecipients({ recipient });
    if (query.find("cc"))
        composer->setCcRecipients(platform::componentsSeparatedBy(stringFor(query, "cc"), ','));
    if (query.find("bcc"))
        composer->setBccRecipients(platform::componentsSeparatedBy(stringFor(query, "bcc"), ','));
    composer->setSubject(stringFor(query, "subject"));
    composer->setMessageBody(stringFor(query, "body"), false);
    composer->setModalTransitionStyle(0);
    // On top of whatever already covers the controller, rather than refused.
    if (viewController_->topmostViewController().presentModalViewController(*composer, true))
        composer_ = std::move(composer);
}

void ADSOpener::didFinishWithResult(platform::MailComposeViewController& composer, platform::MailComposeResult,
    const std::optional<platform::Error>&)
{
    composer.dismissModalViewControllerAnimated(true);
    if (viewController_)
        viewController_->becomeFirstResponder();
    // We are inside one of the composer's own buttons: it goes on the next turn.
    if (composer_.get() == &composer)
        platform::RunLoop::main().post([done = std::shared_ptr<platform::MailComposeViewController>(std::move(composer_))] { });
}
