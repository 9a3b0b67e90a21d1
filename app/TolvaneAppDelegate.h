#pragma once
// The application delegate: holds the one window and the one screen
// controller, installs the controller on launch and ties the lifecycle to
// saving the game and re-reading settings. It draws nothing and keeps no game state.

#include "TolvaneViewController.h"

#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <memory>

class TolvaneAppDelegate : public platform::ApplicationDelegate {
public:
    // Creates the window and the controller, as loading the main interface
    // would, before the application finishes launching.
    TolvaneAppDelegate();
    ~TolvaneAppDelegate() override;
    TolvaneAppDelegate(const TolvaneAppDelegate&) = delete;
    TolvaneAppDelegate& operator=(const TolvaneAppDelegate&) = delete;

    std::unique_ptr<platform::Window> window;
    std::unique_ptr<TolvaneViewController> viewController;

    void setWindow(std::unique_ptr<platform::Window> newWindow);
    void setViewController(std::unique_ptr<TolvaneViewController> newController);

    bool didFinishLaunchingWithOptions(platform::Application& application, const platform::Dictionary& options) override;
    void applicationWillResignActive(platform::Application& application) override;
    void applicationDidEnterBackground(platform::Application& application) override;
    void applicationWillEnterForeground(platform::Application& application) override;
    void applicationDidBecomeActive(platform::Application& application) override;
    void applicationWillTerminate(platform::Application& application) override;
};
