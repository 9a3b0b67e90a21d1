#include "TolvaneAppDelegate.h"

#include "ShellTestSupport.h"

#include "platform/PropertyList.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

#include <gtest/gtest.h>

namespace {

class TolvaneAppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override { shelltest::cleanSlate(); }
    void TearDown() override
    {
        platform::Application::shared().setDelegate(nullptr);
        shelltest::cleanSlate();
    }

    std::unique_ptr<TolvaneAppDelegate> launch()
    {
        auto delegate = std::make_unique<TolvaneAppDelegate>();
        platform::Application::shared().setDelegate(delegate.get());
        platform::Application::shared().finishLaunching();
        platform::RunLoop::main().runPending();
        return delegate;
    }

    static std::string savedText()
    {
        return platform::FileSystem::readFile(shelltest::savedGamePath()).value_or("");
    }
};

}

TEST_F(TolvaneAppDelegateTest, BothObjectsExistBeforeLaunchButTheScreenIsNotBuilt)
{
    TolvaneAppDelegate delegate;
    ASSERT_TRUE(delegate.window);
    ASSERT_TRUE(delegate.viewController);
    EXPECT_FALSE(delegate.viewController->isViewLoaded());
    EXPECT_EQ(delegate.window->frame(), (platform::Rect { 0, 0, 320, 480 }));
}

TEST_F(TolvaneAppDelegateTest, LaunchInstallsTheControllerAndShowsTheWindow)
{
    TolvaneAppDelegate delegate;
    bool result = delegate.didFinishLaunchingWithOptions(platform::Application::shared(), platform::Dictionary {});
    EXPECT_TRUE(result);
    EXPECT_EQ(delegate.window->rootViewController(), delegate.viewController.get());
    EXPECT_EQ(platform::Application::shared().keyWindow(), delegate.window.get());
    EXPECT_TRUE(delegate.window->isKeyWindow());
    // The first display runs the start-up: a fresh game in round 1.
    delegate.viewController->view();
    EXPECT_EQ(delegate.viewController->gameRound, 1);
    EXPECT_EQ(delegate.viewController->getHP(0), 20);
}

TEST_F(TolvaneAppDelegateTest, BackgroundAndTerminationSaveTheGameInItsCurrentState)
{
    auto delegate = launch();
    auto& vc = *delegate->viewController;
    ASSERT_TRUE(vc.isViewLoaded());
    EXPECT_FALSE(platform::FileSystem::exists(shelltest::savedGamePath()));

    vc.nameField0->simulateUserEdit("Orrin");
    vc.buttonDec0->simulateTap();
    platform::Application::shared().enterBackground();
    auto saved = platform::PropertyList::readFile(shelltest::savedGamePath());
    ASSERT_TRUE(saved);
    const auto& items = saved->asArray();
    ASSERT_GE(items.size(), 7u);
    EXPECT_EQ(items[0].asString(), "2");
    EXPECT_EQ(items[1].asString(), "Orrin");
    EXPECT_EQ(items[3].asString(), "19");

    // Nothing else changes at the return; the next save sees the new total.
    platform::Application::shared().enterForeground();
    vc.buttonDec0->simulateTap();
    platform::Application::shared().terminate();
    auto again = platform::PropertyList::readFile(shelltest::savedGamePath());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->asArray()[3].asString(), "18");
}

TEST_F(TolvaneAppDelegateTest, TerminationWritesTheSameFileTwice)
{
    auto delegate = launch();
    delegate->viewController->buttonInc5Hp1->simulateTap();
    delegate->applicationWillTerminate(platform::Application::shared());
    std::string first = savedText();
    ASSERT_FALSE(first.empty());
    platform::Application::shared().terminate(); // the delegate, then the controller's own handler
    EXPECT_EQ(savedText(), first);
}

TEST_F(TolvaneAppDelegateTest, NothingIsSavedBeforeTheScreenExists)
{
    // A saved game from an earlier run must survive a background before launch.
    platform::PropertyList::writeFile(shelltest::savedGamePath(),
        platform::Value(platform::Array { "2", "Orrin", "Ajani", "20", "36", "18", "36" }));
    std::string before = savedText();
    TolvaneAppDelegate delegate;
    delegate.applicationDidEnterBackground(platform::Application::shared());
    delegate.applicationWillTerminate(platform::Application::shared());
    EXPECT_EQ(savedText(), before);
}

TEST_F(TolvaneAppDelegateTest, ForegroundRereadsOnlyTheLandscapePreference)
{
    auto delegate = launch();
    auto& vc = *delegate->viewController;
    platform::Rect containerBefore = vc.containerView->frame();
    platform::Application::shared().enterBackground();

    auto& store = platform::UserDefaults::standard();
    store.setBool("isLandscapeAtStart", true);
    store.setBool("is5hp", false);
    store.synchronize();
    platform::Application::shared().enterForeground();

    EXPECT_TRUE(vc.isLandscapeAtStart);
    EXPECT_TRUE(vc.isShown5hp); // the other settings wait for the next launch
    EXPECT_EQ(vc.containerView->frame(), containerBefore);
    // From now on only landscape-right is accepted.
    EXPECT_FALSE(vc.shouldAutorotateToInterfaceOrientation(1));
    EXPECT_TRUE(vc.shouldAutorotateToInterfaceOrientation(3));
}

TEST_F(TolvaneAppDelegateTest, DestroyingTheDelegateLeavesNoDanglingApplicationPointers)
{
    {
        auto delegate = launch();
        EXPECT_EQ(platform::Application::shared().delegate(), delegate.get());
    }
    EXPECT_EQ(platform::Application::shared().delegate(), nullptr);
    EXPECT_EQ(platform::Application::shared().keyWindow(), nullptr);
    // Lifecycle events after that reach no one and crash nothing.
    platform::Application::shared().enterBackground();
    platform::Application::shared().enterForeground();
    EXPECT_FALSE(platform::FileSystem::exists(shelltest::savedGamePath()));
}
