#pragma once
// Brings the platform up for one process: the toolkit, the clock, the container
// and the resources. Exactly one exists, created first thing in main or in a
// test runner, and torn down last.

#include <memory>
#include <string>

namespace platform {

class VirtualClock;

struct PlatformOptions {
    bool headless = false;     // offscreen rendering, no display needed
    bool virtualClock = false; // time moves only through VirtualClock::advance
    bool recordOpenedUrls = false; // Application::openURL records instead of opening
    std::string home;          // container folder; "" for the default
    std::string resources;     // resources folder; "" for the built-in default
    std::string applicationName = "tolvane";
};

class PlatformSession {
public:
    PlatformSession(int& argc, char** argv, PlatformOptions options);
    ~PlatformSession();
    PlatformSession(const PlatformSession&) = delete;
    PlatformSession& operator=(const PlatformSession&) = delete;

    static PlatformSession* current(); // non-owning
    const PlatformOptions& options() const { return options_; }
    // The virtual clock when options.virtualClock, else null.
    VirtualClock* virtualClock() { return virtualClock_.get(); }
    // False when no display can be opened (and headless was not asked for).
    static bool displayAvailable();

private:
    PlatformOptions options_;
    std::unique_ptr<VirtualClock> virtualClock_;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}
