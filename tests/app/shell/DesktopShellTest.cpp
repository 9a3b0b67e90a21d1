#include "platform/desktop/DesktopShell.h"

#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <csignal>
#include <gtest/gtest.h>

using platform::DesktopShell;

namespace {

class TurningController : public platform::ViewController {
public:
    bool acceptAll = true;
    std::vector<int> asked;
    bool shouldAutorotateToInterfaceOrientation(int o) override
    {
        asked.push_back(o);
        return acceptAll;
    }
};

class RecordingDelegate : public platform::ApplicationDelegate {
public:
    std::vector<std::string> events;
    void applicationDidEnterBackground(platform::Application&) override { events.push_back("background"); }
    void applicationWillEnterForeground(platform::Application&) override { events.push_back("foreground"); }
    void applicationWillTerminate(platform::Application&) override { events.push_back("terminate"); }
};

class DesktopShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.setDelegate(&delegate);
        app.finishLaunching();
        window = std::make_unique<platform::Window>(platform::Rect { 0, 0, 320, 480 });
        window->setRootViewController(&controller);
        window->makeKeyAndVisible();
        if (app.deviceOrientation() != 1)
            app.setDeviceOrientation(1);
        controller.asked.clear();
        shell = std::make_unique<DesktopShell>();
        shell->onQuit = [this] { ++quits; };
        ASSERT_TRUE(shell->attach(*window));
        platform::RunLoop::main().runPending();
        delegate.events.clear();
    }
    void TearDown() override
    {
        shell.reset();
        if (app.keyWindow() == window.get())
            app.setKeyWindow(nullptr);
        window.reset();
        app.setDelegate(nullptr);
        if (app.state() == platform::ApplicationState::Background)
            app.enterForeground();
    }

    platform::Application& app = platform::Application::shared();
    RecordingDelegate delegate;
    TurningController controller;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<DesktopShell> shell;
    int quits = 0;
};

}

TEST(DesktopShellOrientation, FourQuarterTurnsComeBackAndLeftUndoesRight)
{
    // Turning left from portrait puts the home button on the right.
    EXPECT_EQ(DesktopShell::orientationAfterTurningLeft(1), 3);
    EXPECT_EQ(DesktopShell::orientationAfterTurningLeft(3), 2);
    EXPECT_EQ(DesktopShell::orientationAfterTurningLeft(2), 4);
    EXPECT_EQ(DesktopShell::orientationAfterTurningLeft(4), 1);
    for (int o = 1; o <= 4; ++o) {
        EXPECT_EQ(DesktopShell::orientationAfterTurningRight(DesktopShell::orientationAfterTurningLeft(o)), o);
        int turned = o;
        for (int k = 0; k < 4; ++k)
            turned = DesktopShell::orientationAfterTurningRight(turned);
        EXPECT_EQ(turned, o);
        // Every quarter turn swaps portrait and landscape.
        EXPECT_NE(platform::isPortraitOrientation(o), platform::isPortraitOrientation(DesktopShell::orientationAfterTurningRight(o)));
    }
    EXPECT_EQ(DesktopShell::orientationAfterTurningRight(0), 4); // unknown counts as portrait
}

TEST_F(DesktopShellTest, TheContextMenuOffersRotationAndQuit)
{
    EXPECT_EQ(shell->menuEntries(), (std::vector<std::string> { "Rotate left", "Rotate right", "Quit" }));
    EXPECT_FALSE(shell->triggerShortcut("Ctrl+R"));
}

TEST_F(DesktopShellTest, ShortcutsTurnTheDeviceThroughTheControllersQuery)
{
    ASSERT_TRUE(shell->triggerShortcut("Ctrl+Left"));
    EXPECT_EQ(controller.asked, std::vector<int> { 3 });
    EXPECT_EQ(app.deviceOrientation(), 3);
    EXPECT_EQ(controller.interfaceOrientation(), 3);
    EXPECT_EQ(window->frame().width, 480);

    ASSERT_TRUE(shell->triggerShortcut("Ctrl+Right"));
    EXPECT_EQ(controller.interfaceOrientation(), 1);
    EXPECT_EQ(window->frame().width, 320);

    // A refused turn leaves the screen where it was.
    controller.acceptAll = false;
    EXPECT_FALSE(shell->rotateRight());
    EXPECT_EQ(controller.interfaceOrientation(), 1);
}

TEST_F(DesktopShellTest, MinimisingIsTheBackgroundAndRestoringTheReturn)
{
    ASSERT_TRUE(shell->simulateWindowEvent("minimize"));
    platform::RunLoop::main().runPending();
    EXPECT_EQ(app.state(), platform::ApplicationState::Background);
    // Hiding a minimised window is no second trip to the background.
    shell->simulateWindowEvent("hide");
    EXPECT_EQ(delegate.events, std::vector<std::string> { "background" });

    shell->simulateWindowEvent("restore");
    platform::RunLoop::main().runPending();
    EXPECT_EQ(app.state(), platform::ApplicationState::Active);
    EXPECT_EQ(delegate.events, (std::vector<std::string> { "background", "foreground" }));

    // Hidden by the window system (another workspace, say): the same trip.
    shell->simulateWindowEvent("hide");
    EXPECT_EQ(app.state(), platform::ApplicationState::Background);
    shell->simulateWindowEvent("show");
    EXPECT_EQ(app.state(), platform::ApplicationState::Active);
    EXPECT_EQ(delegate.events, (std::vector<std::string> { "background", "foreground", "background", "foreground" }));
    EXPECT_FALSE(shell->simulateWindowEvent("wiggle"));
}

TEST_F(DesktopShellTest, ClosingCtrlQAndQuitTerminateExactlyOnce)
{
    ASSERT_TRUE(shell->triggerShortcut("Ctrl+Q"));
    EXPECT_TRUE(shell->hasTerminated());
    EXPECT_EQ(quits, 1);
    shell->simulateWindowEvent("close");
    platform::RunLoop::main().runPending();
    EXPECT_EQ(quits, 2);
    EXPECT_EQ(delegate.events, std::vector<std::string> { "terminate" });
}

TEST_F(DesktopShellTest, ClosingTheWindowTerminates)
{
    bool notified = false;
    platform::NotificationCenter::defaultCenter().addObserver(this, platform::kApplicationWillTerminateNotification, nullptr,
        [&](const platform::Notification&) { notified = true; });
    shell->simulateWindowEvent("close");
    platform::RunLoop::main().runPending();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_EQ(delegate.events, std::vector<std::string> { "terminate" });
    EXPECT_TRUE(notified);
    EXPECT_EQ(quits, 1);
}

TEST_F(DesktopShellTest, SigtermTerminatesThroughTheRunLoop)
{
    ASSERT_TRUE(shell->installSignalHandlers());
    // A second shell cannot take the signals while the first holds them.
    DesktopShell other;
    EXPECT_FALSE(other.installSignalHandlers());

    ASSERT_EQ(raise(SIGTERM), 0);
    // Nothing happens inside the handler itself.
    EXPECT_TRUE(delegate.events.empty());
    for (int i = 0; i < 20 && quits == 0; ++i)
        platform::RunLoop::main().runPending();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(delegate.events, std::vector<std::string> { "terminate" });
}

TEST_F(DesktopShellTest, ADetachedShellNoLongerReacts)
{
    shell->detach();
    EXPECT_FALSE(shell->isAttached());
    EXPECT_FALSE(shell->simulateWindowEvent("minimize"));
    EXPECT_FALSE(shell->triggerShortcut("Ctrl+Q"));
    window->setObjectName("");
    EXPECT_TRUE(shell->attach(*window)); // names the window itself when it has no name
    EXPECT_TRUE(shell->isAttached());
}
