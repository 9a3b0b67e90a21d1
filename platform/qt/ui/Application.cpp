#include "ViewImpl.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include <QDesktopServices>
#include <QUrl>
#include <algorithm>
#include <cctype>

namespace platform {

namespace {
constexpr double kRotationSeconds = 0.4;
constexpr const char* kMemoryWarningNotification = "UIApplicationDidReceiveMemoryWarningNotification";

// The scheme of an absolute URL, lower-cased; "" when the text has none.
std::string schemeOf(const std::string& url)
{
    auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0)
        return {};
    std::string scheme = url.substr(0, colon);
    if (!std::isalpha(static_cast<unsigned char>(scheme[0])))
        return {};
    for (char& c : scheme) {
        auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.')
            return {};
        c = char(std::tolower(u));
    }
    return scheme;
}

void post(Application& app, const char* name) { NotificationCenter::defaultCenter().post(name, &app); }
}

Application& Application::shared()
{
    static Application app;
    return app;
}

void Application::setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }

void Application::setStatusBarOrientation(int orientation)
{
    if (orientation < 1 || orientation > 4)
        return;
    statusBarOrientation_ = orientation;
    if (keyWindow_ && keyWindow_->impl().widget)
        keyWindow_->impl().widget->update();
}

void Application::setStatusBarHidden(bool hidden, bool)
{
    statusBarHidden_ = hidden;
    if (keyWindow_ && keyWindow_->impl().widget)
        keyWindow_->impl().widget->update();
}

void Application::setIdleTimerDisabled(bool disabled) { idleTimerDisabled_ = disabled; }

// Schemes something on a desktop can answer: the web and mail through the
// desktop's handlers, and the phone's own schemes (calls, messages, the
// store), which the desktop shell hands on as they are.
bool Application::canOpenURL(const std::string& url) const
{
    static const char* const known[] = { "http", "https", "mailto", "tel", "sms", "itms", "itms-apps",
        "maps", "file" };
    std::string scheme = schemeOf(url);
    if (scheme.empty() || url.size() <= scheme.size() + 1)
        return false;
    return std::any_of(std::begin(known), std::end(known), [&](const char* k) { return scheme == k; });
}

bool Application::openURL(const std::string& url)
{
    if (!canOpenURL(url))
        return false;
    if (recordOpenedURLs_) {
        openedURLs_.push_back(url);
        return true;
    }
    QUrl q(QString::fromStdString(url), QUrl::TolerantMode);
    return q.isValid() && QDesktopServices::openUrl(q);
}

void Application::finishLaunching(const Dictionary& options)
{
    state_ = ApplicationState::Inactive;
    if (delegate_)
        delegate_->didFinishLaunchingWithOptions(*this, options);
    post(*this, kApplicationDidFinishLaunchingNotification);
    state_ = ApplicationState::Active;
    if (delegate_)
        delegate_->applicationDidBecomeActive(*this);
    post(*this, kApplicationDidBecomeActiveNotification);
}

void Application::enterBackground()
{
    if (state_ == ApplicationState::Background)
        return;
    if (state_ == ApplicationState::Active) {
        if (delegate_)
            delegate_->applicationWillResignActive(*this);
        post(*this, kApplicationWillResignActiveNotification);
        state_ = ApplicationState::Inactive;
    }
    state_ = ApplicationState::Background;
    if (delegate_)
        delegate_->applicationDidEnterBackground(*this);
    post(*this, kApplicationDidEnterBackgroundNotification);
}

void Application::enterForeground()
{
    if (state_ != ApplicationState::Background)
        return;
    if (delegate_)
        delegate_->applicationWillEnterForeground(*this);
    post(*this, kApplicationWillEnterForegroundNotification);
    state_ = ApplicationState::Active;
    if (delegate_)
        delegate_->applicationDidBecomeActive(*this);
    post(*this, kApplicationDidBecomeActiveNotification);
}

void Application::terminate()
{
    if (delegate_)
        delegate_->applicationWillTerminate(*this);
    post(*this, kApplicationWillTerminateNotification);
}

void Application::receiveMemoryWarning()
{
    if (keyWindow_)
        for (ViewController* c = keyWindow_->rootViewController(); c; c = c->modalViewController())
            c->didReceiveMemoryWarning();
    post(*this, kMemoryWarningNotification);
}

bool Application::setDeviceOrientation(int orientation)
{
    deviceOrientation_ = orientation;
    if (orientation < 1 || orientation > 4 || !keyWindow_)
        return false;
    ViewController* root = keyWindow_->rootViewController();
    if (!root)
        return false;
    // The controller on top decides; every controller of the chain turns.
    std::vector<ViewController*> chain;
    for (ViewController* c = root; c; c = c->modalViewController())
        chain.push_back(c);
    if (!chain.back()->shouldAutorotateToInterfaceOrientation(orientation))
        return false;
    int from = root->interfaceOrientation();
    if (from == orientation)
        return true;
    for (ViewController* c : chain)
        c->willRotateToInterfaceOrientation(orientation, kRotationSeconds);
    setStatusBarOrientation(orientation);
    bool portrait = isPortraitOrientation(orientation);
    float w = portrait ? 320 : 480, h = portrait ? 480 : 320;
    keyWindow_->setFrame({ 0, 0, w, h });
    for (ViewController* c : chain) {
        if (c->isViewLoaded()) {
            float top = c->view().frame().y;
            c->view().setFrame({ 0, top, w, h - top });
        }
        c->setInterfaceOrientation(orientation);
    }
    for (ViewController* c : chain)
        c->willAnimateSecondHalfOfRotationFromInterfaceOrientation(from, kRotationSeconds);
    for (ViewController* c : chain)
        c->didRotateFromInterfaceOrientation(from);
    return true;
}

}
