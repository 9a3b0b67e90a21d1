#include "SettingsWindow.h"

#include "ShellTestSupport.h"

#include "platform/ui/Application.h"

#include <fstream>
#include <gtest/gtest.h>

TEST(SettingsWindow, ShowsTheSettingsScreenAsTheKeyWindowAndRenders)
{
    std::string prefs = platform::Paths::preferences() + "/settings-window-render.plist";
    platform::FileSystem::removeFile(prefs);
    platform::UserDefaults store(prefs);
    std::string png = platform::Paths::caches() + "/settings-window.png";
    {
        tolvane::SettingsWindow window(store);
        EXPECT_FALSE(window.controller().isViewLoaded());
        window.show();
        EXPECT_TRUE(window.controller().isViewLoaded());
        EXPECT_EQ(platform::Application::shared().keyWindow(), &window.window());
        EXPECT_EQ(window.window().rootViewController(), &window.controller());
        ASSERT_TRUE(window.window().renderToPng(png));
        // A change made in the window reaches the file at once.
        window.controller().switchForKey("isDiceRepeat")->simulateUserSet(true);
        EXPECT_TRUE(platform::UserDefaults(prefs).boolForKey("isDiceRepeat"));
    }
    // Gone with its window: the application no longer points at it.
    EXPECT_EQ(platform::Application::shared().keyWindow(), nullptr);

    std::ifstream in(png, std::ios::binary);
    std::string header(24, '\0');
    in.read(header.data(), 24);
    ASSERT_EQ(header.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(header[at])) << 24) | (uint32_t(uint8_t(header[at + 1])) << 16)
            | (uint32_t(uint8_t(header[at + 2])) << 8) | uint32_t(uint8_t(header[at + 3]));
    };
    EXPECT_EQ(be32(16) * 480, be32(20) * 320); // the portrait window's shape at any scale
    platform::FileSystem::removeFile(png);
    platform::FileSystem::removeFile(prefs);
}
