#pragma once
// Reachability of a named host: reports with flags arrive through the main run
// loop whenever the system's view of the network changes. There is no query
// of the current state: a new target knows nothing until its first report.

#include "platform/Lifetime.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class Reachability {
public:
    enum Flag : uint32_t {
        kReachable = 1u << 1,
        kIsWWAN = 1u << 18, // reached over the cellular network
    };
    using Callback = std::function<void(Reachability&, uint32_t flags)>;

    // Nothing for an empty host name.
    static std::unique_ptr<Reachability> createWithHostName(const std::string& host);
    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    const std::string& hostName() const { return host_; }
    void setCallback(Callback callback) { callback_ = std::move(callback); }
    // Reports reach a target only while it is scheduled.
    bool scheduleOnMainRunLoop();
    void unscheduleFromMainRunLoop();
    bool isScheduled() const { return scheduled_; }

    // Posts a report to every scheduled target, as the system does when the
    // network changes; the automation mode and tests use it.
    static void postReport(uint32_t flags);
    // The flags the system's network information gives now (for diagnostics).
    static uint32_t currentSystemFlags();

private:
    explicit Reachability(std::string host);
    void deliver(uint32_t flags);
    std::string host_;
    Callback callback_;
    bool scheduled_ = false;
    Lifetime lifetime_;
};

}
