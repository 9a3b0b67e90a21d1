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

TEST_F(DesktopShellTest, TheContextMenuOffersRotationFullScreenAndQuitLast)
{
    EXPECT_EQ(shell->menuEntries(), (std::vector<std::string> { "Rotate left", "Rotate right", "Full screen", "Quit" }));
    EXPECT_FALSE(shell->triggerShortcut("Ctrl+R"));
    int undos = 0;
    shell->addMenuEntry("Undo", "Ctrl+Z", [&] { ++undos; });
    EXPECT_EQ(shell->menuEntries(),
        (std::vector<std::string> { "Rotate left", "Rotate right", "Full screen", "Undo", "Quit" }));
    EXPECT_TRUE(shell->triggerMenuEntry("Undo"));
    EXPECT_TRUE(shell->triggerShortcut("Ctrl+Z"));
    EXPECT_EQ(undos, 2);
}

// Keys arrive as real key events at the control with the focus and reach
// their binding on the way: a letter with and without Shift are two keys, a
// symbol is one key whether the keyboard needs Shift for it or not, and a
// sequence is pressed key by key. A text that is no key sequence is refused.
TEST_F(DesktopShellTest, KeysPressedInTheWindowRunTheirBindings)
{
    std::vector<std::string> ran;
    for (const char* keys : { "R", "Shift+R", "?", "Ctrl+Shift+Z", "Ctrl+,", "Shift+Up", "+" })
        ASSERT_TRUE(shell->bindKey(keys, [&ran, keys] { ran.push_back(keys); })) << keys;
    EXPECT_FALSE(shell->bindKey("Ctrl+Z, Ctrl+Y", [] { }));
    EXPECT_FALSE(shell->bindKey("", [] { }));

    ASSERT_TRUE(shell->sendKeys("R"));
    ASSERT_TRUE(shell->sendKeys("Shift+R"));
    ASSERT_TRUE(shell->sendKeys("Shift+?")); // as a US keyboard sends it
    ASSERT_TRUE(shell->sendKeys("Ctrl+Shift+Z, Ctrl+,"));
    ASSERT_TRUE(shell->sendKeys("Shift+Up"));
    ASSERT_TRUE(shell->sendKeys("Up")); // not bound: nothing
    ASSERT_TRUE(shell->sendKeys("+"));
    EXPECT_EQ(ran, (std::vector<std::string> { "R", "Shift+R", "?", "Ctrl+Shift+Z", "Ctrl+,", "Shift+Up", "+" }));
    EXPECT_FALSE(shell->sendKeys(""));
    EXPECT_FALSE(shell->sendKeys("Ctrl+Nonsense"));

    // A sequence of any length is pressed in full, a comma key included, or
    // not at all: one faulty key anywhere refuses the whole of it.
    ran.clear();
    ASSERT_TRUE(shell->sendKeys("R, Ctrl+,, R, +, R, Shift+R"));
    EXPECT_EQ(ran, (std::vector<std::string> { "R", "Ctrl+,", "R", "+", "R", "Shift+R" }));
    ran.clear();
    EXPECT_FALSE(shell->sendKeys("R, R, R, R, Ctrl+Nonsense"));
    EXPECT_FALSE(shell->sendKeys("R, , R"));
    EXPECT_TRUE(ran.empty());
}

// F11 makes the window fill the screen and back; the points stay whole and
// in their aspect either way, and a turn of the device keeps the scale of a
// window the player sized.
TEST_F(DesktopShellTest, FullScreenAndResizingScaleThePointsKeepingTheirAspect)
{
    window->setPixelSize(640, 960);
    EXPECT_DOUBLE_EQ(window->contentScale(), 2);
    window->setPixelSize(1000, 960);
    EXPECT_DOUBLE_EQ(window->contentScale(), 2); // letterboxed left and right
    ASSERT_TRUE(shell->rotateLeft());
    EXPECT_EQ(window->frame().width, 480);
    EXPECT_DOUBLE_EQ(window->contentScale(), 2);
    ASSERT_TRUE(shell->rotateRight());
    // A window larger than the screen (a desktop scaled up, QT_SCALE_FACTOR=2)
    // is brought within it, still whole and in its aspect.
    window->setPixelSize(3200, 4800);
    EXPECT_FALSE(shell->fitsScreen());
    shell->fitToScreen();
    EXPECT_TRUE(shell->fitsScreen());
    EXPECT_LT(window->contentScale(), 10);
    EXPECT_GT(window->contentScale(), 0.3);
    ASSERT_TRUE(shell->triggerShortcut("F11"));
    EXPECT_TRUE(shell->isFullScreen());
    ASSERT_TRUE(shell->triggerShortcut("F11"));
    EXPECT_FALSE(shell->isFullScreen());
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
