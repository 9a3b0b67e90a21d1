#pragma once
// The application object: its delegate and lifecycle, status bar, idle timer,
// opening URLs in other applications, and the device's orientation. The
// desktop shell and the automation mode drive the lifecycle through it.

#include "platform/Value.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Application;
class Window;

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual bool didFinishLaunchingWithOptions(Application&, const Dictionary& /*options*/) { return true; }
    virtual void applicationWillResignActive(Application&) { }
    virtual void applicationDidEnterBackground(Application&) { }
    virtual void applicationWillEnterForeground(Application&) { }
    virtual void applicationDidBecomeActive(Application&) { }
    virtual void applicationWillTerminate(Application&) { }
};

enum class ApplicationState { Active, Inactive, Background };

class Application {
public:
    static Application& shared();

    void setDelegate(ApplicationDelegate* delegate); // non-owning
    ApplicationDelegate* delegate() const { return delegate_; }
    ApplicationState state() const { return state_; }

    int statusBarOrientation() const { return statusBarOrientation_; }
    void setStatusBarOrientation(int orientation);
    bool isStatusBarHidden() const { return statusBarHidden_; }
    // The window draws the bar again at once; there is no fade to animate.
    void setStatusBarHidden(bool hidden, bool animated = false);
    bool isIdleTimerDisabled() const { return idleTimerDisabled_; }
    void setIdleTimerDisabled(bool disabled);

    // Opens the URL in another application (the desktop's handler), or records
    // it when recording is on. False for a URL nothing can open.
    bool openURL(const std::string& url);
    bool canOpenURL(const std::string& url) const;
    void setRecordingOpenedURLs(bool record) { recordOpenedURLs_ = record; }
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }

    // Lifecycle, in the platform's order of callbacks and notifications.
    void finishLaunching(const Dictionary& options = {}); // launch, then become active
    void enterBackground();  // resign active, then enter background
    void enterForeground();  // will enter foreground, then become active
    void terminate();        // will terminate (callback, then notification)
    void receiveMemoryWarning();

    // The device turns: the key window's root controller is asked; when it
    // accepts, the status bar and window turn and the rotation callbacks run.
    // Returns whether the rotation happened.
    bool setDeviceOrientation(int orientation);
    int deviceOrientation() const { return deviceOrientation_; }

    void setKeyWindow(Window* window) { keyWindow_ = window; } // non-owning
    Window* keyWindow() const { return keyWindow_; }

private:
    ApplicationDelegate* delegate_ = nullptr;
    Window* keyWindow_ = nullptr;
    ApplicationState state_ = ApplicationState::Inactive;
    int statusBarOrientation_ = 1;
    int deviceOrientation_ = 1;
    bool statusBarHidden_ = false;
    bool idleTimerDisabled_ = false;
    bool recordOpenedURLs_ = false;
    std::vector<std::string> openedURLs_;
};

}
