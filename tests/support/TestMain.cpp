// Test runner: brings the platform up headless on a virtual clock, with a
// throw-away container folder, before any test runs.
#include "platform/PlatformSession.h"
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The web engine's library is not instrumented: it frees some of its own
// objects with another size than it made them with, and keeps memory until
// exit. The same list is in tests/sanitizer/lsan.supp for the end-to-end runs.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libudev.so\nleak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The web engine offscreen: no GPU, and no sandbox, which it refuses to
    // run as root.
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // Every screen the tests build has an ad banner. Unless a test names its
    // own server, it asks a port of this machine where nothing listens, and
    // never the ad network outside.
    setenv("TOLVANE_ADS_BASE_URL", "http://127.0.0.1:9/", 0);
    setenv("TOLVANE_ADS_STATIC_URL", "http://127.0.0.1:9", 0);
    auto home = std::filesystem::temp_directory_path() / ("tolvane-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    int rc;
    {
        platform::PlatformOptions options;
        options.headless = true;
        options.virtualClock = true;
        options.recordOpenedUrls = true;
        options.home = home.string();
        platform::PlatformSession session(argc, argv, options);
        rc = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return rc;
}
