#pragma once
// The main run loop: timers, delayed calls, next-turn calls and calls from
// other threads, all run on the main thread. In real mode it sits on Qt's
// event loop; on a virtual clock, timers fire only when the clock advances.
// Timers and delayed calls are made and cancelled on the main thread only;
// post() and runOnMainAndWait() may be called from any thread.

#include <functional>
#include <memory>

namespace platform {

class Timer;

class RunLoop {
public:
    static RunLoop& main();

    // Runs fn after `delay` seconds. `target` (non-owning, may be null) groups
    // calls so that cancelPerforms(target) drops every pending one of them.
    void performAfter(double delay, const void* target, std::function<void()> fn);
    void cancelPerforms(const void* target);
    // Runs fn on the next turn of the loop (after the current event).
    void post(std::function<void()> fn);
    // From any thread: runs fn on the main thread and waits for it to finish.
    // Called on the main thread, runs fn at once.
    void runOnMainAndWait(const std::function<void()>& fn);
    static bool isMainThread();

    // Runs everything that is due now: posted calls, expired timers and the
    // toolkit's pending events. Tests and the automation mode call it after each step.
    void runPending();
    // Runs the loop until quit(); returns the code given to quit().
    int run();
    void quit(int code = 0);

    // Used by VirtualClock::advance: the earliest pending deadline on the
    // monotonic clock, or a negative number when none; and firing what is due.
    double nextDeadline() const;
    void fireDue(double monotonicNow);

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    friend class Timer;
    RunLoop();
    ~RunLoop();
    std::unique_ptr<Impl> impl_;
};

// A one-shot or repeating timer on the main run loop, owned by whoever holds
// it: destroying it invalidates it. A one-shot timer is invalid after firing.
class Timer {
public:
    // Fires every `interval` seconds until invalidated or destroyed.
    static std::unique_ptr<Timer> repeating(double interval, std::function<void(Timer&)> fn);
    // Fires once, `delay` seconds from now.
    static std::unique_ptr<Timer> singleShot(double delay, std::function<void(Timer&)> fn);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void invalidate();
    bool isValid() const { return valid_; }
    double interval() const { return interval_; }
    bool repeats() const { return repeats_; }
    // Fires at once (the callback runs now); a repeating timer keeps its schedule.
    void fire();

private:
    friend class RunLoop;
    Timer(double interval, bool repeats, std::function<void(Timer&)> fn);
    static std::unique_ptr<Timer> schedule(double interval, bool repeats, std::function<void(Timer&)> fn);
    double interval_;
    bool repeats_;
    bool valid_ = true;
    std::function<void(Timer&)> fn_;
    unsigned long long id_ = 0;
};

}
