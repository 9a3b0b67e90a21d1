#include "UiTestSupport.h"
#include "platform/PlatformSession.h"
#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace platform;

namespace {
std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}
}

TEST(Window, RootViewSitsBelowTheStatusBarAndKeyWindowIsRegistered)
{
    struct Plain final : ViewController { } root;
    {
        Window window;
        EXPECT_EQ(window.frame(), (Rect { 0, 0, 320, 480 }));
        window.setRootViewController(&root);
        EXPECT_EQ(root.view().superview(), &window);
        EXPECT_EQ(root.view().frame(), (Rect { 0, 20, 320, 460 }));
        EXPECT_FALSE(window.isKeyWindow());
        window.makeKeyAndVisible();
        EXPECT_TRUE(window.isKeyWindow());
        EXPECT_EQ(Application::shared().keyWindow(), &window);
        window.setRootViewController(nullptr);
        EXPECT_EQ(root.view().superview(), nullptr);
    }
    EXPECT_EQ(Application::shared().keyWindow(), nullptr);
}

TEST(Window, RendersAPngOfTheWindowSize)
{
    Window window;
    struct Plain final : ViewController { } root;
    window.setRootViewController(&root);
    window.makeKeyAndVisible();
    window.setTitle("Tolvane");
    std::string path = ::testing::TempDir() + "window-portrait.png";
    ASSERT_TRUE(window.renderToPng(path));
    auto size = uitest::pngSize(path);
    ASSERT_TRUE(size.valid);
    EXPECT_EQ(size.width, 320u);
    EXPECT_EQ(size.height, 480u);

    // What is on screen shows in the picture.
    Label label({ 20, 100, 200, 40 });
    label.setText("Player 1");
    label.setBackgroundColor(Color::red_());
    root.view().addSubview(label);
    std::string withLabel = ::testing::TempDir() + "window-label.png";
    ASSERT_TRUE(window.renderToPng(withLabel));
    EXPECT_NE(slurp(path), slurp(withLabel));

    window.setFrame({ 0, 0, 480, 320 });
    std::string landscape = ::testing::TempDir() + "window-landscape.png";
    ASSERT_TRUE(window.renderToPng(landscape));
    size = uitest::pngSize(landscape);
    EXPECT_EQ(size.width, 480u);
    EXPECT_EQ(size.height, 320u);

    EXPECT_FALSE(window.renderToPng("/nonexistent-folder/for/sure/x.png"));
}

// The status bar's time turns with the platform clock by itself, minute by
// minute, without anything else on screen changing.
TEST(Window, StatusBarClockFollowsThePlatformClock)
{
    auto* clock = PlatformSession::current()->virtualClock();
    ASSERT_NE(clock, nullptr);
    clock->setLocalDateTime(2026, 3, 14, 11, 58, 30);
    Window window;
    window.makeKeyAndVisible();
    EXPECT_EQ(window.statusBarTime(), "11:58 AM");
    uitest::advance(29.5);
    EXPECT_EQ(window.statusBarTime(), "11:58 AM");
    uitest::advance(0.5);
    EXPECT_EQ(window.statusBarTime(), "11:59 AM");
    uitest::advance(60);
    EXPECT_EQ(window.statusBarTime(), "12:00 PM");
    uitest::advance(13 * 3600 + 59);
    EXPECT_EQ(window.statusBarTime(), "1:00 AM");
}
