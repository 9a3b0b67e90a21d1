#include "Launcher.h"

#include "ShellTestSupport.h"
#include "TolvaneAppDelegate.h"
#include "View/ADSBannerView.h"

#include "platform/ui/Application.h"

#include <gtest/gtest.h>

namespace {

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override { shelltest::cleanSlate(); }
    void TearDown() override
    {
        auto& app = platform::Application::shared();
        if (delegate) {
            // Upright again while the screen exists, for the next launch in this process.
            delegate->viewController->isLandscapeAtStart = false;
            app.setDeviceOrientation(1);
        }
        delegate.reset();
        app.setStatusBarOrientation(1);
        shelltest::cleanSlate();
    }
    std::unique_ptr<TolvaneAppDelegate> delegate;
};

}

TEST_F(LauncherTest, LaunchBuildsTheScreenUpright)
{
    delegate = tolvane::Launcher::launch();
    auto& app = platform::Application::shared();
    EXPECT_EQ(app.delegate(), delegate.get());
    ASSERT_TRUE(delegate->viewController->isViewLoaded());
    EXPECT_EQ(delegate->viewController->interfaceOrientation(), 1);
    EXPECT_EQ(app.deviceOrientation(), 1);
    EXPECT_EQ(delegate->viewController->containerView->frame(), (platform::Rect { 0, 80, 320, 216 }));
    // Nothing to follow: the status bar was left upright.
    EXPECT_FALSE(tolvane::Launcher::followStatusBarOrientation());
}

TEST_F(LauncherTest, LandscapeAtStartTurnsTheDeviceToTheStatusBar)
{
    auto& store = platform::UserDefaults::standard();
    store.setBool("isLandscapeAtStart", true);
    store.synchronize();
    delegate = tolvane::Launcher::launch();
    auto& vc = *delegate->viewController;
    auto& app = platform::Application::shared();
    EXPECT_EQ(app.statusBarOrientation(), 3);
    EXPECT_EQ(app.deviceOrientation(), 3);
    EXPECT_EQ(vc.interfaceOrientation(), 3);
    EXPECT_EQ(vc.containerView->frame(), (platform::Rect { 80, 0, 320, 216 }));
    EXPECT_EQ(vc.bannerView_->frame(), (platform::Rect { 80, 250, 320, 50 }));
    EXPECT_EQ(delegate->window->frame().width, 480);
}
