#pragma once
// Base fixture of the full-screen suites: the local ad network on 127.0.0.1,
// a window whose root controller is on screen for controllers to be presented
// over, and the library's statistics started afresh for every test.

#include "Statistics/ADSStatistics.h"
#include "ads/network/LocalServerTest.h"
#include "platform/UserDefaults.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

class FullScreenFixture : public LocalServerTest {
public:
    // No counters or timings from earlier tests, in memory or stored.
    static void freshStatistics()
    {
        ADSStatistics::releaseSharedStatistics();
        platform::UserDefaults::standard().removeObject("ads_stats_shared");
        platform::UserDefaults::standard().removeObject("ads_timing_shared");
    }

protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        window.setRootViewController(&root);
        window.makeKeyAndVisible();
        freshStatistics();
    }

    platform::Window window;
    platform::ViewController root;
};
