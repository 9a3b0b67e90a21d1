#pragma once
// Background time for work that must finish after the application leaves the
// foreground. A task runs until ended or until its time is up, when its
// expiration handler runs; time is measured on the platform clock's timers.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace platform {

class Timer;

class BackgroundTasks {
public:
    static BackgroundTasks& shared();
    static constexpr uint32_t kInvalidTask = 0;

    // The desktop keeps running in the background, so tasks are supported;
    // tests switch it off to exercise the fallback of callers.
    bool isSupported() const { return supported_; }
    void setSupported(bool supported) { supported_ = supported; }

    // Time a task may run before it expires (seconds).
    double expirationInterval() const { return interval_; }
    void setExpirationInterval(double seconds) { interval_ = seconds; }

    // Begins a task; kInvalidTask when unsupported. The handler runs at most
    // once, on the main thread, and the task ends right after it.
    uint32_t beginTask(std::function<void()> expirationHandler);
    // Ends the task and discards its handler; unknown identifiers are ignored.
    void endTask(uint32_t id);
    size_t activeCount() const { return tasks_.size(); }

    BackgroundTasks();
    ~BackgroundTasks();

private:
    struct Task {
        std::function<void()> handler;
        std::unique_ptr<Timer> timer;
    };
    void expire(uint32_t id);
    std::map<uint32_t, Task> tasks_;
    uint32_t nextId_ = 1;
    bool supported_ = true;
    double interval_ = 600;
};

}
