#pragma once
// Shared set-up for the controller tests: a clean settings store and documents
// folder, a fixed local time, the controller shown in a window on the virtual
// clock. It does not press anything; each test drives the controller itself.

#include "SettingsKeys.h"
#include "TolvaneViewController.h"
#include "View/ADSBannerView.h"

#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PlatformSession.h"
#include "platform/PropertyList.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

inline std::ostream& operator<<(std::ostream& os, const platform::Rect& r)
{
    return os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock = platform::PlatformSession::current()->virtualClock();
        ASSERT_NE(clock, nullptr);
        clock->setLocalOffsetSeconds(0);
        clock->setLocalDateTime(2026, 1, 15, 14, 5, 9);
        auto& store = platform::UserDefaults::standard();
        for (const auto& key : tolvane::SettingsKeys::all())
            store.removeObject(key.name);
        platform::FileSystem::removeFile(savedGamePath());
        platform::FileSystem::removeFile(savedGamePath() + ".damaged");
        platform::Console::setEcho(false);
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
        auto& app = platform::Application::shared();
        app.setIdleTimerDisabled(false);
        app.setStatusBarOrientation(1);
    }

    void TearDown() override
    {
        quit();
        platform::Application::shared().setStatusBarOrientation(1);
    }

    // The controller and its window go away (a later launch() starts afresh).
    void quit()
    {
        if (window)
            window->setRootViewController(nullptr);
        platform::Application::shared().setKeyWindow(nullptr);
        controller.reset();
        window.reset();
        platform::RunLoop::main().runPending();
    }

    static void setting(const std::string& key, platform::Value value)
    {
        platform::UserDefaults::standard().setObject(key, std::move(value));
    }

    static std::string savedGamePath()
    {
        return platform::FileSystem::appendPathComponent(platform::Paths::documents(), "data.plist");
    }

    static void writeSavedGame(const platform::Array& elements)
    {
        ASSERT_TRUE(platform::PropertyList::writeFile(savedGamePath(), platform::Value(elements)));
    }

    static void copyGolden(const std::string& name)
    {
        auto text = platform::FileSystem::readFile(std::string(TOLVANE_TEST_DATA_DIR) + "/savedgames/" + name);
        ASSERT_TRUE(text) << name;
        ASSERT_TRUE(platform::FileSystem::writeAtomically(savedGamePath(), *text));
    }

    // The application's launch as the delegate does it: the controller becomes
    // the root of a shown window and its view loads.
    void launch()
    {
        controller = std::make_unique<TolvaneViewController>();
        window = std::make_unique<platform::Window>(platform::Rect { 0, 0, 320, 480 });
        window->setRootViewController(controller.get());
        window->makeKeyAndVisible();
        platform::Application::shared().setKeyWindow(window.get());
        controller->view();
        platform::RunLoop::main().runPending();
    }

    // Ends the run without the alert at start-up getting in the way.
    void launchWithoutAsking()
    {
        setting("isAskBeforeReset", false);
        launch();
    }

    TolvaneViewController& c() { return *controller; }
    int selected(int component) { return controller->picker->selectedRowInComponent(component); }
    int rows(int component) { return controller->picker->numberOfRowsInComponent(component); }
    void select(int row, int component) { controller->picker->selectRow(row, component, false); }
    void turnWheel(int row, int component) { controller->picker->simulateUserSelect(row, component); }
    void tap(platform::Button& button)
    {
        button.simulateTap();
        platform::RunLoop::main().runPending();
    }
    void advance(double seconds) { clock->advance(seconds); }

    bool consoleHas(const std::string& line)
    {
        const auto lines = platform::Console::takeLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    platform::VirtualClock* clock = nullptr;
    std::unique_ptr<TolvaneViewController> controller;
    std::unique_ptr<platform::Window> window;
};
