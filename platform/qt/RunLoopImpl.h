#pragma once
// Internals of the main run loop shared between RunLoop.cpp and the session
// that owns the toolkit. Not a public header.

#include "platform/RunLoop.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

class QObject;
class QTimer;
class QEventLoop;

namespace platform {

struct RunLoop::Impl {
    struct Item {
        const void* target = nullptr; // non-owning grouping key
        std::function<void()> fn;
        uint64_t timerId = 0; // non-zero: the entry fires this timer
    };
    using Key = std::pair<double, uint64_t>; // deadline, scheduling order

    std::map<Key, Item> queue;
    std::unordered_map<uint64_t, Timer*> timers; // non-owning: each Timer unregisters itself
    std::unordered_map<uint64_t, Key> timerKeys;
    uint64_t nextSeq = 1;
    uint64_t nextTimerId = 1;

    std::mutex postMutex;
    std::deque<std::function<void()>> posted;
    std::atomic<bool> wakePending { false };

    // Toolkit objects, made on first need once the application object exists.
    std::unique_ptr<QObject> host;
    QTimer* deadlineTimer = nullptr; // owned by host
    QEventLoop* running = nullptr;   // non-owning: the loop inside run()
    bool quitRequested = false;
    int quitCode = 0;

    void schedule(double deadline, Item item);
    void scheduleTimer(Timer* timer, double deadline);
    void unscheduleTimer(uint64_t timerId);
    size_t fireDue(double now);
    size_t runPosted();
    void arm();
    bool ensureHost();
    void wake();
    // Drops the toolkit objects before the application object goes away.
    void releaseToolkit();
};

}
