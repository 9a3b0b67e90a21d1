#include "platform/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform;

namespace {
struct LoggingDelegate final : ApplicationDelegate {
    std::vector<std::string>* log;
    explicit LoggingDelegate(std::vector<std::string>* l) : log(l) { }
    bool didFinishLaunchingWithOptions(Application& app, const Dictionary&) override
    {
        log->push_back(std::string("launch state=") + (app.state() == ApplicationState::Inactive ? "inactive" : "?"));
        return true;
    }
    void applicationWillResignActive(Application&) override { log->push_back("resign"); }
    void applicationDidEnterBackground(Application& app) override
    {
        log->push_back(std::string("background state=") + (app.state() == ApplicationState::Background ? "bg" : "?"));
    }
    void applicationWillEnterForeground(Application&) override { log->push_back("foreground"); }
    void applicationDidBecomeActive(Application& app) override
    {
        log->push_back(std::string("active state=") + (app.state() == ApplicationState::Active ? "active" : "?"));
    }
    void applicationWillTerminate(Application&) override { log->push_back("terminate"); }
};

// Hears every lifecycle notification into the same log as the delegate.
struct Listener {
    std::vector<std::string>* log;
    explicit Listener(std::vector<std::string>* l) : log(l)
    {
        for (const char* name : { kApplicationDidFinishLaunchingNotification, kApplicationWillResignActiveNotification,
                 kApplicationDidEnterBackgroundNotification, kApplicationWillEnterForegroundNotification,
                 kApplicationDidBecomeActiveNotification, kApplicationWillTerminateNotification })
            NotificationCenter::defaultCenter().addObserver(this, name, &Application::shared(),
                [this](const Notification& n) { log->push_back("N:" + n.name.substr(13)); });
    }
    ~Listener() { NotificationCenter::defaultCenter().removeObserver(this); }
};

struct Rotating final : ViewController {
    std::vector<std::string> log;
    bool accept = true;
    bool shouldAutorotateToInterfaceOrientation(int o) override
    {
        log.push_back("should " + std::to_string(o));
        return accept;
    }
    void willRotateToInterfaceOrientation(int to, double) override
    {
        log.push_back("will " + std::to_string(to) + " from " + std::to_string(interfaceOrientation()));
    }
    void willAnimateSecondHalfOfRotationFromInterfaceOrientation(int from, double) override
    {
        Rect f = view().frame();
        log.push_back("second half from " + std::to_string(from) + " now " + std::to_string(interfaceOrientation())
            + " view " + std::to_string(int(f.width)) + "x" + std::to_string(int(f.height)) + " bar "
            + std::to_string(Application::shared().statusBarOrientation()));
    }
    void didRotateFromInterfaceOrientation(int from) override { log.push_back("did from " + std::to_string(from)); }
};
}

TEST(Application, LifecycleCallbacksAndNotificationsInOrder)
{
    std::vector<std::string> log;
    LoggingDelegate delegate(&log);
    Listener listener(&log);
    auto& app = Application::shared();
    app.setDelegate(&delegate);

    app.finishLaunching();
    app.enterBackground();
    app.enterBackground(); // already there: nothing again
    app.enterForeground();
    app.enterForeground(); // already active: nothing
    app.terminate();
    app.setDelegate(nullptr);

    EXPECT_EQ(log,
        (std::vector<std::string> { "launch state=inactive", "N:DidFinishLaunchingNotification", "active state=active",
            "N:DidBecomeActiveNotification", "resign", "N:WillResignActiveNotification", "background state=bg",
            "N:DidEnterBackgroundNotification", "foreground", "N:WillEnterForegroundNotification",
            "active state=active", "N:DidBecomeActiveNotification", "terminate", "N:WillTerminateNotification" }));
}

TEST(Application, RotationAsksTheRootControllerAndTurnsTheWindow)
{
    auto& app = Application::shared();
    EXPECT_FALSE(app.setDeviceOrientation(3)); // no key window yet

    Window window;
    Rotating root;
    window.setRootViewController(&root);
    window.makeKeyAndVisible();

    root.accept = false;
    EXPECT_FALSE(app.setDeviceOrientation(4));
    EXPECT_EQ(root.log, std::vector<std::string> { "should 4" });
    EXPECT_EQ(window.frame(), (Rect { 0, 0, 320, 480 }));
    EXPECT_EQ(root.interfaceOrientation(), 1);

    root.accept = true;
    root.log.clear();
    EXPECT_TRUE(app.setDeviceOrientation(4));
    EXPECT_EQ(root.log, (std::vector<std::string> { "should 4", "will 4 from 1",
                            "second half from 1 now 4 view 480x300 bar 4", "did from 1" }));
    EXPECT_EQ(window.frame(), (Rect { 0, 0, 480, 320 }));
    EXPECT_EQ(root.view().frame(), (Rect { 0, 20, 480, 300 }));
    EXPECT_EQ(app.statusBarOrientation(), 4);
    EXPECT_EQ(app.deviceOrientation(), 4);

    // Accepted but already there: asked, nothing turns.
    root.log.clear();
    EXPECT_TRUE(app.setDeviceOrientation(4));
    EXPECT_EQ(root.log, std::vector<std::string> { "should 4" });

    root.log.clear();
    EXPECT_TRUE(app.setDeviceOrientation(1));
    EXPECT_EQ(root.log.back(), "did from 4");
    EXPECT_EQ(window.frame(), (Rect { 0, 0, 320, 480 }));
    EXPECT_EQ(root.view().frame(), (Rect { 0, 20, 320, 460 }));

    // Orientations the device does not have are refused without asking.
    root.log.clear();
    EXPECT_FALSE(app.setDeviceOrientation(0));
    EXPECT_FALSE(app.setDeviceOrientation(7));
    EXPECT_TRUE(root.log.empty());
}

TEST(Application, APresentedControllerDecidesTheRotation)
{
    auto& app = Application::shared();
    Window window;
    Rotating root, top;
    window.setRootViewController(&root);
    window.makeKeyAndVisible();
    root.presentModalViewController(top, false);
    top.accept = false;
    EXPECT_FALSE(app.setDeviceOrientation(3));
    EXPECT_TRUE(root.log.empty());
    top.accept = true;
    EXPECT_TRUE(app.setDeviceOrientation(3));
    EXPECT_EQ(root.interfaceOrientation(), 3);
    EXPECT_EQ(top.interfaceOrientation(), 3);
    EXPECT_EQ(top.view().frame().width, 480);
    EXPECT_EQ(root.log.back(), "did from 1");
    root.dismissModalViewControllerAnimated(false);
    EXPECT_TRUE(app.setDeviceOrientation(1));
    app.setStatusBarOrientation(1);
}

TEST(Application, OpeningUrlsIsRecordedAndUnknownSchemesRefused)
{
    auto& app = Application::shared();
    size_t before = app.openedURLs().size();
    EXPECT_TRUE(app.canOpenURL("http://example.com/"));
    EXPECT_TRUE(app.canOpenURL("MAILTO:someone@example.com"));
    EXPECT_TRUE(app.canOpenURL("tel:5551234"));
    EXPECT_FALSE(app.canOpenURL("javascript:alert(1)"));
    EXPECT_FALSE(app.canOpenURL("no scheme here"));
    EXPECT_FALSE(app.canOpenURL("http:"));
    EXPECT_FALSE(app.canOpenURL(""));

    EXPECT_TRUE(app.openURL("https://www.facebook.com/tolvane"));
    EXPECT_FALSE(app.openURL("bogus-scheme:whatever"));
    ASSERT_EQ(app.openedURLs().size(), before + 1);
    EXPECT_EQ(app.openedURLs().back(), "https://www.facebook.com/tolvane");

    app.setIdleTimerDisabled(true);
    EXPECT_TRUE(app.isIdleTimerDisabled());
    app.setIdleTimerDisabled(false);
    app.setStatusBarOrientation(9); // not an orientation: kept as it was
    EXPECT_EQ(app.statusBarOrientation(), 1);
}
