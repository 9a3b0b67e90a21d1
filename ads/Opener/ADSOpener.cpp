#include "Opener/ADSOpener.h"

#include "Delegate/ADSDelegateManager.h"
#include "Network/ADSClickTracker.h"
#include "Notification/ADSNotification.h"
#include "Statistics/ADSStatistics.h"
#include "platform/Console.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

namespace {
// Deferrals of openApp so far, across openers: a new open after the last
// deferral starts counting from 0 again.
int repeatCount = 0;
constexpr double kTrackingWait = 0.3;
constexpr int kMaximumDeferrals = 3;
}

ADSOpener::~ADSOpener()
{
    platform::RunLoop::main().cancelPerforms(this);
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

// The in-app browser and the web-app screen are full-screen controllers that
// arrive with full-screen ads; until then a click that needs one is reported
// on the console and goes nowhere.
void ADSOpener::openBrowserToURL(const platform::Url& url, int)
{
    platform::Console::log("<Ads> No in-app browser yet; not opening " + url.absoluteString());
}

void ADSOpener::openWebApp(const platform::Url& url, int)
{
    platform::Console::log("<Ads> No full-screen web app yet; not opening " + url.absoluteString());
}

void ADSOpener::openWebAppWithHTML(const std::string& html, int)
{
    platform::Console::log("<Ads> No full-screen web app yet; not showing " + std::to_string(html.size()) + " bytes of ad markup");
}

// The mail composer is a full-screen controller as well; it comes with them.
void ADSOpener::openEmailComposer(const platform::Url& url)
{
    platform::Console::log("<Ads> No mail composer yet; not writing to " + url.absoluteString());
}

void ADSOpener::openApp(const std::optional<platform::Url>& url)
{
    if (!url)
        return;
    if (ADSClickTracker::activeTrackings() && repeatCount++ < kMaximumDeferrals) {
        platform::RunLoop::main().performAfter(kTrackingWait, this, [this, target = *url] { openApp(target); });
        return;
    }
    repeatCount = 0;
    if (delegateManager_)
        delegateManager_->willLeaveApplication();
    platform::RunLoop::main().post([text = url->absoluteString()] { platform::Application::shared().openURL(text); });
}
