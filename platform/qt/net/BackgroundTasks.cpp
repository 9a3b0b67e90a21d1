// Background tasks on platform timers, so that expiry follows the platform
// clock (and a virtual clock in tests).
#include "platform/net/BackgroundTasks.h"
#include "platform/RunLoop.h"

namespace platform {

BackgroundTasks& BackgroundTasks::shared()
{
    // Never destroyed: its timers must not outlive the run loop at exit.
    static BackgroundTasks* instance = new BackgroundTasks();
    return *instance;
}

BackgroundTasks::BackgroundTasks() = default;
BackgroundTasks::~BackgroundTasks() = default;

uint32_t BackgroundTasks::beginTask(std::function<void()> expirationHandler)
{
    if (!supported_)
        return kInvalidTask;
    uint32_t id = nextId_++;
    if (nextId_ == kInvalidTask)
        nextId_ = 1;
    Task task;
    task.handler = std::move(expirationHandler);
    task.timer = Timer::singleShot(interval_, [this, id](Timer&) { expire(id); });
    tasks_.emplace(id, std::move(task));
    return id;
}

void BackgroundTasks::endTask(uint32_t id)
{
    auto it = tasks_.find(id);
    if (it == tasks_.end())
        return;
    // The timer may be the one firing right now: let it finish its callback
    // before it is destroyed.
    auto timer = std::move(it->second.timer);
    tasks_.erase(it);
    if (timer) {
        timer->invalidate();
        RunLoop::main().post([t = std::shared_ptr<Timer>(std::move(timer))] { });
    }
}

void BackgroundTasks::expire(uint32_t id)
{
    auto it = tasks_.find(id);
    if (it == tasks_.end())
        return;
    // The handler may end this task itself (and usually does); take it out
    // first so that ending it again is harmless.
    auto handler = std::move(it->second.handler);
    if (handler)
        handler();
    endTask(id);
}

}
