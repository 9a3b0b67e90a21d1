#include "ViewController/ADSViewController.h"

#include "Delegate/ADSDelegateManager.h"
#include "Notification/ADSNotificationCenter.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "Utility/ADSPrivateUtilities.h"
#include "ViewController/ADSViewControllerPrivate.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

namespace {
// When the application has no root controller to present from, the given one
// does, and the appearance is told again after the transition would be over.
constexpr double kLateAppearanceSeconds = 0.6;
}

int ADSViewController::orientationFromString(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    if (*text == "any")
        return 1;
    if (*text == "portrait")
        return 2;
    if (*text == "landscape")
        return 3;
    return 0;
}

std::shared_ptr<ADSViewControllerPrivate> ADSViewController::createPrivateData()
{
    return std::make_shared<ADSViewControllerPrivate>();
}

ADSViewController::ADSViewController() : ADSViewController(createPrivateData()) { }

ADSViewController::ADSViewController(std::shared_ptr<ADSViewControllerPrivate> vars) : vars_(vars.get())
{
    vars->supportedOrientations_ = 1;
    ADSPrivateUtilities::setPrivateObject(std::move(vars), this);
    setModalTransitionStyle(0);
}

ADSViewController::~ADSViewController()
{
    platform::RunLoop::main().cancelPerforms(this);
    ADSNotificationCenter::defaultCenter().removeObserver(this);
    // Destroyed while still on screen (its owner let go without giving the
    // screen back): the status bar and the banner's refresh come back all the same.
    if (onScreen_) {
        onScreen_ = false;
        if (firstLevel_)
            restoreStatusBar();
        platform::NotificationCenter::defaultCenter().post(ADSViewControllerDidRelinquishFullScreen, this);
    }
    if (presented_ && firstLevel_)
        delegateManager()->didDismissScreen();
    ADSPrivateUtilities::removePrivateObjectForKey(this);
}

ADSViewControllerPrivate& ADSViewController::vars() const { return *vars_; }

void ADSViewController::loadView()
{
    auto view = std::make_unique<platform::View>(platform::Rect { 0, 0, 320, 480 });
    view->setAutoresizingMask(platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleHeight);
    view->setOpaque(true);
    view->setBackgroundColor(platform::Color::black());
    view->setClipsToBounds(true);
    setView(std::move(view));
}

void ADSViewController::viewDidLoad()
{
    // Pages post their messages with their web view as sender, never with
    // this view: a page of ours cannot change what the ad allows, only the
    // opener (from the ad's response) does. The subscription stays for
    // content that posts as this view.
    ADSNotificationCenter::defaultCenter().addObserver(this, "settings", &view(),
        [this](const platform::Notification& n) { settingsChanged(n.userInfo); });
}

void ADSViewController::presentFromViewController(platform::ViewController* controller)
{
    if (!controller) {
        platform::Console::log("<Ads> No UIViewController supplied to the ad.  Cannot continue.");
        return;
    }
    if (onScreen_)
        return;
    view().setUserInteractionEnabled(false);
    selfReference_ = weak_from_this().lock();
    onScreen_ = true;
    presented_ = true;
    platform::NotificationCenter::defaultCenter().post(ADSViewControllerWillPresentFullScreen, this);

    if (auto* parent = dynamic_cast<ADSViewController*>(controller)) {
        // Content opened from full-screen content stacks on top of it.
        firstLevel_ = false;
        vars().interactingWithParent_ = false;
        parent->topmostViewController().presentModalViewController(*this, true);
        return;
    }
    firstLevel_ = true;
    vars().interactingWithParent_ = true;
    delegateManager()->willPresentScreen();
    hideStatusBar();
    presentSelfFrom(*controller);
}

void ADSViewController::presentSelfFrom(platform::ViewController& controller)
{
    // Whatever already covers the application (another full-screen ad, the
    // mail composer) stays, and this goes on top of it instead of being refused.
    platform::Window* window = platform::Application::shared().keyWindow();
    if (window && window->rootViewController()) {
        window->rootViewController()->topmostViewController().presentModalViewController(*this, true);
        return;
    }
    controller.topmostViewController().presentModalViewController(*this, true);
    platform::RunLoop::main().performAfter(kLateAppearanceSeconds, this, [this] { viewDidAppear(true); });
}

void ADSViewController::hideStatusBar()
{
    auto& app = platform::Application::shared();
    // Only a full-screen presentation covers the status bar; older systems
    // had no other kind.
    if (ADSIdentifierUtilities::isOSAtLeastMajor(3, 2, 0) && modalPresentationStyle() != 0)
        return;
    vars().statusBarWasHidden_ = app.isStatusBarHidden();
    if (!vars().statusBarWasHidden_)
        app.setStatusBarHidden(true, false);
}

void ADSViewController::restoreStatusBar()
{
    if (ADSIdentifierUtilities::isOSAtLeastMajor(3, 2, 0) && modalPresentationStyle() != 0)
        return;
    if (!vars().statusBarWasHidden_)
        platform::Application::shared().setStatusBarHidden(false, false);
}

void ADSViewController::relinquishScreen()
{
    if (!onScreen_)
        return;
    onScreen_ = false;
    view().setUserInteractionEnabled(false);
    platform::RunLoop::main().cancelPerforms(this);
    // Let go at the end of this turn: the caller may be this controller's own
    // button or page.
    if (selfReference_)
        platform::RunLoop::main().post([keep = std::move(selfReference_)] { });
    // Content stacked on this one goes with it and lets go of itself too:
    // dismissed from below, it would keep itself, and its page, for good.
    if (auto* above = dynamic_cast<ADSViewController*>(modalViewController()))
        above->relinquishScreen();

    platform::ViewController* parent = parentViewController();
    // Whoever heard this controller come hears it go: one presented from the
    // application while another ad was up sits on that ad, yet told the
    // application it was coming.
    if (firstLevel_) {
        vars().interactingWithParent_ = true;
        delegateManager()->willDismissScreen();
        restoreStatusBar();
    } else {
        vars().interactingWithParent_ = false;
    }
    if (parent)
        parent->dismissModalViewControllerAnimated(true);
    platform::NotificationCenter::defaultCenter().post(ADSViewControllerDidRelinquishFullScreen, this);
}

bool ADSViewController::isFirstADSViewController() const
{
    if (platform::ViewController* parent = parentViewController())
        return dynamic_cast<ADSViewController*>(parent) == nullptr;
    return firstLevel_;
}

void ADSViewController::viewDidAppear(bool animated)
{
    if (view().isUserInteractionEnabled())
        return;
    platform::ViewController::viewDidAppear(animated);
    view().setUserInteractionEnabled(true);
    if (isFirstADSViewController() && vars().interactingWithParent_)
        vars().interactingWithParent_ = false;
}

void ADSViewController::viewDidDisappear(bool animated)
{
    platform::ViewController::viewDidDisappear(animated);
    auto& statistics = ADSStatistics::sharedStatistics();
    statistics.endTimingNamed(kADSParameterPriorLandingPageDuration);
    statistics.endTimingNamed(kADSParameterPriorClickLatency);
    if (isFirstADSViewController() && vars().interactingWithParent_) {
        vars().interactingWithParent_ = false;
        if (vars().appClosing_)
            delegateManager()->willLeaveApplication();
    }
}

bool ADSViewController::shouldAutorotateToInterfaceOrientation(int orientation)
{
    switch (vars().supportedOrientations_) {
    case 2:
        return orientation == platform::OrientationPortrait || orientation == platform::OrientationPortraitUpsideDown;
    case 3:
        return orientation == platform::OrientationLandscapeRight || orientation == platform::OrientationLandscapeLeft;
    default:
        return true;
    }
}

void ADSViewController::settingsChanged(const platform::Dictionary& parameters)
{
    const platform::Value* value = parameters.find(kADSSupportedOrientationsKey);
    std::optional<std::string> text;
    if (value && value->isString())
        text = value->asString();
    vars().supportedOrientations_ = orientationFromString(text);
}

int32_t ADSViewController::supportedOrientations() const { return vars().supportedOrientations_; }
void ADSViewController::setSupportedOrientations(int32_t orientations) { vars().supportedOrientations_ = orientations; }
platform::WebView* ADSViewController::openingWebView() const { return vars().openingWebView_.get(); }
void ADSViewController::setOpeningWebView(platform::WebView* webView) { vars().openingWebView_ = platform::WeakWebView(webView); }

const std::shared_ptr<ADSDelegateManager>& ADSViewController::delegateManager() const
{
    if (!vars().delegateManager_)
        vars().delegateManager_ = ADSDelegateManager::create();
    return vars().delegateManager_;
}

void ADSViewController::setDelegateManager(std::shared_ptr<ADSDelegateManager> manager)
{
    vars().delegateManager_ = std::move(manager);
}

bool ADSViewController::statusBarWasHidden() const { return vars().statusBarWasHidden_; }
void ADSViewController::setStatusBarWasHidden(bool hidden) { vars().statusBarWasHidden_ = hidden; }
bool ADSViewController::appClosing() const { return vars().appClosing_; }
void ADSViewController::setAppClosing(bool closing) { vars().appClosing_ = closing; }
