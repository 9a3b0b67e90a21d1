// The main run loop on Qt's event loop: our own ordered queue of timers and
// delayed calls, with one Qt timer armed for the earliest deadline in real
// mode. On a virtual clock only VirtualClock::advance fires deadlines.
#include "RunLoopImpl.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <thread>
#include <vector>

namespace platform {

namespace {
// Captured while the program loads, which happens on the main thread.
const std::thread::id kLoadThread = std::this_thread::get_id();

// A repeating interval of zero would fire without end inside one step.
constexpr double kMinimumRepeatInterval = 0.0001;
}

RunLoop::RunLoop() : impl_(std::make_unique<Impl>()) { }
RunLoop::~RunLoop() = default;

RunLoop& RunLoop::main()
{
    static RunLoop* loop = new RunLoop(); // lives for the process: timers may outlive statics
    return *loop;
}

bool RunLoop::isMainThread()
{
    if (auto* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == kLoadThread;
}

void RunLoop::Impl::schedule(double deadline, Item item)
{
    queue.emplace(Key { deadline, nextSeq++ }, std::move(item));
    arm();
}

void RunLoop::Impl::scheduleTimer(Timer* timer, double deadline)
{
    Key key { deadline, nextSeq++ };
    Item item;
    item.timerId = timer->id_;
    queue.emplace(key, std::move(item));
    timerKeys[timer->id_] = key;
    arm();
}

void RunLoop::Impl::unscheduleTimer(uint64_t timerId)
{
    auto it = timerKeys.find(timerId);
    if (it != timerKeys.end()) {
        queue.erase(it->second);
        timerKeys.erase(it);
    }
    timers.erase(timerId);
}

// Fires what is due at `now`, one entry at a time so that callbacks may
// cancel or add entries freely. Entries added while firing wait for the next
// call, which keeps a call that reschedules itself at zero delay from
// spinning here for ever.
size_t RunLoop::Impl::fireDue(double now)
{
    const uint64_t seqLimit = nextSeq;
    size_t fired = 0;
    for (;;) {
        auto it = queue.begin();
        while (it != queue.end() && it->first.first <= now && it->first.second >= seqLimit)
            ++it;
        if (it == queue.end() || it->first.first > now)
            break;
        const double deadline = it->first.first;
        Item item = std::move(it->second);
        queue.erase(it);
        ++fired;
        if (!item.timerId) {
            item.fn();
            continue;
        }
        timerKeys.erase(item.timerId);
        auto found = timers.find(item.timerId);
        if (found == timers.end())
            continue;
        Timer* timer = found->second;
        const uint64_t id = item.timerId;
        // The callback may destroy the timer; run a copy and look the timer up
        // again afterwards instead of touching it.
        auto fn = timer->fn_;
        if (fn)
            fn(*timer);
        found = timers.find(id);
        if (found == timers.end() || !found->second->valid_)
            continue;
        timer = found->second;
        if (timerKeys.count(id))
            continue; // fire() or the callback already rescheduled it
        if (!timer->repeats_) {
            timer->valid_ = false;
            timers.erase(id);
            continue;
        }
        // Missed beats are skipped, not made up: the next deadline is the
        // first one of the original schedule that lies after now.
        double next = deadline + timer->interval_;
        if (next <= now)
            next += timer->interval_ * std::floor((now - next) / timer->interval_ + 1);
        scheduleTimer(timer, next);
    }
    arm();
    return fired;
}

size_t RunLoop::Impl::runPosted()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(postMutex);
        batch.swap(posted);
    }
    for (auto& fn : batch)
        if (fn)
            fn();
    return batch.size();
}

bool RunLoop::Impl::ensureHost()
{
    if (host)
        return true;
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return false;
    host = std::make_unique<QObject>();
    deadlineTimer = new QTimer(host.get());
    deadlineTimer->setSingleShot(true);
    deadlineTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(deadlineTimer, &QTimer::timeout, host.get(), [this] {
        if (!Clock::shared().isVirtual())
            fireDue(Clock::shared().monotonic());
    });
    return true;
}

void RunLoop::Impl::arm()
{
    if (Clock::shared().isVirtual() || !ensureHost())
        return;
    if (queue.empty()) {
        deadlineTimer->stop();
        return;
    }
    const double wait = queue.begin()->first.first - Clock::shared().monotonic();
    const double ms = std::ceil(std::max(0.0, wait) * 1000.0);
    deadlineTimer->start(int(std::min(ms, 2.0e9)));
}

void RunLoop::Impl::wake()
{
    auto* app = QCoreApplication::instance();
    if (!app || wakePending.exchange(true))
        return;
    // Queued on the application object so that it works from any thread.
    QMetaObject::invokeMethod(app, [this] {
        wakePending = false;
        runPosted();
    }, Qt::QueuedConnection);
}

void RunLoop::Impl::releaseToolkit()
{
    deadlineTimer = nullptr;
    host.reset();
    running = nullptr;
}

void RunLoop::performAfter(double delay, const void* target, std::function<void()> fn)
{
    if (!fn)
        return;
    if (!(delay > 0))
        delay = 0;
    Impl::Item item;
    item.target = target;
    item.fn = std::move(fn);
    impl_->schedule(Clock::shared().monotonic() + delay, std::move(item));
}

// A null target names no group, so it cancels nothing.
void RunLoop::cancelPerforms(const void* target)
{
    if (!target)
        return;
    std::erase_if(impl_->queue, [&](const auto& entry) { return !entry.second.timerId && entry.second.target == target; });
    impl_->arm();
}

void RunLoop::post(std::function<void()> fn)
{
    if (!fn)
        return;
    {
        std::lock_guard lock(impl_->postMutex);
        impl_->posted.push_back(std::move(fn));
    }
    impl_->wake();
}

void RunLoop::runOnMainAndWait(const std::function<void()>& fn)
{
    if (!fn)
        return;
    auto* app = QCoreApplication::instance();
    if (isMainThread() || !app) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

void RunLoop::runPending()
{
    // A bounded number of rounds: work that keeps re-posting itself is left
    // for the next call instead of hanging this one.
    for (int round = 0; round < 64; ++round) {
        size_t work = impl_->runPosted();
        work += impl_->fireDue(Clock::shared().monotonic());
        if (QCoreApplication::instance() && isMainThread()) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        bool more;
        {
            std::lock_guard lock(impl_->postMutex);
            more = !impl_->posted.empty();
        }
        if (!work && !more)
            break;
    }
}

int RunLoop::run()
{
    if (impl_->quitRequested) {
        impl_->quitRequested = false;
        return impl_->quitCode;
    }
    if (!QCoreApplication::instance())
        return -1;
    QEventLoop loop;
    QEventLoop* outer = impl_->running;
    impl_->running = &loop;
    impl_->arm();
    runPending();
    int code = impl_->quitRequested ? impl_->quitCode : loop.exec();
    impl_->quitRequested = false;
    impl_->running = outer;
    return code;
}

void RunLoop::quit(int code)
{
    if (impl_->running) {
        impl_->quitRequested = true;
        impl_->quitCode = code;
        impl_->running->exit(code);
    } else {
        impl_->quitRequested = true;
        impl_->quitCode = code;
    }
}

double RunLoop::nextDeadline() const
{
    return impl_->queue.empty() ? -1.0 : impl_->queue.begin()->first.first;
}

void RunLoop::fireDue(double monotonicNow) { impl_->fireDue(monotonicNow); }

std::unique_ptr<Timer> Timer::repeating(double interval, std::function<void(Timer&)> fn)
{
    return schedule(interval, true, std::move(fn));
}

std::unique_ptr<Timer> Timer::singleShot(double delay, std::function<void(Timer&)> fn)
{
    return schedule(delay, false, std::move(fn));
}

std::unique_ptr<Timer> Timer::schedule(double interval, bool repeats, std::function<void(Timer&)> fn)
{
    if (!(interval > 0))
        interval = 0;
    if (repeats && interval < kMinimumRepeatInterval)
        interval = kMinimumRepeatInterval;
    std::unique_ptr<Timer> timer(new Timer(interval, repeats, std::move(fn)));
    auto& impl = RunLoop::main().impl();
    timer->id_ = impl.nextTimerId++;
    impl.timers[timer->id_] = timer.get();
    impl.scheduleTimer(timer.get(), Clock::shared().monotonic() + interval);
    return timer;
}

Timer::Timer(double interval, bool repeats, std::function<void(Timer&)> fn)
    : interval_(interval), repeats_(repeats), fn_(std::move(fn))
{
}

Timer::~Timer() { invalidate(); }

void Timer::invalidate()
{
    valid_ = false;
    if (id_)
        RunLoop::main().impl().unscheduleTimer(id_);
}

// A repeating timer keeps its schedule; a one-shot timer is spent.
void Timer::fire()
{
    if (!valid_)
        return;
    const uint64_t id = id_;
    auto fn = fn_;
    if (fn)
        fn(*this);
    auto& impl = RunLoop::main().impl();
    auto found = impl.timers.find(id);
    if (found != impl.timers.end() && !repeats_)
        invalidate();
}

// The virtual clock's advance lives here, with the run loop it drives, so
// that the portable clock code needs no toolkit.
// Time jumps from deadline to deadline so that every callback reads its own
// deadline from the clock; a callback that schedules something due before
// the end of the step sees it fire within the same advance.
void VirtualClock::advance(double seconds)
{
    if (!(seconds > 0))
        seconds = 0;
    RunLoop& loop = RunLoop::main();
    const double target = mono_ + seconds;
    loop.runPending();
    for (;;) {
        const double next = loop.nextDeadline();
        if (next < 0 || next > target)
            break;
        if (next > mono_) {
            wall_ += next - mono_;
            mono_ = next;
        }
        loop.fireDue(mono_);
        loop.runPending();
    }
    wall_ += target - mono_;
    mono_ = target;
    loop.runPending();
}

}
