#include "TolvaneAppDelegate.h"

#include "Delegate/ADSWebViewDelegate.h"

#include "platform/ui/WebView.h"

TolvaneAppDelegate::TolvaneAppDelegate()
    : window(std::make_unique<platform::Window>(platform::Rect { 0, 0, 320, 480 }))
    , viewController(std::make_unique<TolvaneViewController>())
{
    window->setTitle("Tolvane");
}

TolvaneAppDelegate::~TolvaneAppDelegate()
{
    auto& app = platform::Application::shared();
    if (app.delegate() == this)
        app.setDelegate(nullptr);
    if (window && app.keyWindow() == window.get())
        app.setKeyWindow(nullptr);
    // The window goes first: it refers to the controller, never the other way round.
    window.reset();
    viewController.reset();
}

void TolvaneAppDelegate::setWindow(std::unique_ptr<platform::Window> newWindow)
{
    auto& app = platform::Application::shared();
    if (window && app.keyWindow() == window.get())
        app.setKeyWindow(nullptr);
    window = std::move(newWindow);
}

void TolvaneAppDelegate::setViewController(std::unique_ptr<TolvaneViewController> newController)
{
    // A window must never keep pointing at a controller that is gone.
    if (window && viewController && window->rootViewController() == viewController.get())
        window->setRootViewController(nullptr);
    viewController = std::move(newController);
}

bool TolvaneAppDelegate::didFinishLaunchingWithOptions(platform::Application&, const platform::Dictionary&)
{
    // Before the banner's first page starts the web engine, which reads its
    // scheme table once: the ad pages' messages travel on these schemes.
    platform::WebView::registerSchemes(ADSWebViewDelegate::schemes());
    if (!window || !viewController)
        return false;
    window->setRootViewController(viewController.get());
    window->makeKeyAndVisible();
    return true;
}

void TolvaneAppDelegate::applicationWillResignActive(platform::Application&) { }

// The game exists only once the screen has been built; saving before that
// would replace the player's saved game with an empty one.
void TolvaneAppDelegate::applicationDidEnterBackground(platform::Application&)
{
    if (viewController && viewController->isViewLoaded())
        viewController->savePref();
}

void TolvaneAppDelegate::applicationWillEnterForeground(platform::Application&)
{
    if (viewController)
        viewController->reloadSetting();
}

void TolvaneAppDelegate::applicationDidBecomeActive(platform::Application&) { }

void TolvaneAppDelegate::applicationWillTerminate(platform::Application&)
{
    if (viewController && viewController->isViewLoaded())
        viewController->savePref();
}
