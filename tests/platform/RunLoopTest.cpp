#include "platform/Clock.h"
#include "platform/PlatformSession.h"
#include "platform/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

VirtualClock& virtualClock() { return *PlatformSession::current()->virtualClock(); }

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Drain leftovers of other tests so each starts from an empty queue.
        RunLoop::main().runPending();
        start = virtualClock().monotonic();
    }
    void TearDown() override { RunLoop::main().cancelPerforms(this); }
    double since() const { return virtualClock().monotonic() - start; }
    double start = 0;
};

}

TEST_F(RunLoopTest, DelayedCallsFireInDeadlineOrderEachAtItsOwnDeadline)
{
    std::vector<std::pair<std::string, double>> seen;
    auto rec = [&](std::string name) { return [&, name] { seen.emplace_back(name, since()); }; };
    RunLoop::main().performAfter(3.0, this, rec("c"));
    RunLoop::main().performAfter(1.0, this, rec("a"));
    RunLoop::main().performAfter(2.0, this, rec("b1"));
    RunLoop::main().performAfter(2.0, this, rec("b2")); // same deadline: scheduling order
    RunLoop::main().performAfter(9.0, this, rec("late"));
    virtualClock().advance(5.0);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(std::string("a"), 1.0));
    EXPECT_EQ(seen[1], std::make_pair(std::string("b1"), 2.0));
    EXPECT_EQ(seen[2], std::make_pair(std::string("b2"), 2.0));
    EXPECT_EQ(seen[3], std::make_pair(std::string("c"), 3.0));
    EXPECT_DOUBLE_EQ(since(), 5.0);
    virtualClock().advance(4.0);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[4].second, 9.0);
}

TEST_F(RunLoopTest, WallClockMovesWithEachDeadline)
{
    const double wall0 = virtualClock().now();
    double wallSeen = -1;
    RunLoop::main().performAfter(1.25, this, [&] { wallSeen = Clock::shared().now() - wall0; });
    virtualClock().advance(10);
    EXPECT_DOUBLE_EQ(wallSeen, 1.25);
}

TEST_F(RunLoopTest, CancelDropsOnlyTheTargetsCalls)
{
    int mine = 0, other = 0, untargeted = 0;
    int otherTarget = 0;
    RunLoop::main().performAfter(1, this, [&] { ++mine; });
    RunLoop::main().performAfter(2, this, [&] { ++mine; });
    RunLoop::main().performAfter(1, &otherTarget, [&] { ++other; });
    RunLoop::main().performAfter(1, nullptr, [&] { ++untargeted; });
    RunLoop::main().cancelPerforms(this);
    RunLoop::main().cancelPerforms(nullptr); // names no group
    virtualClock().advance(3);
    EXPECT_EQ(mine, 0);
    EXPECT_EQ(other, 1);
    EXPECT_EQ(untargeted, 1);
}

TEST_F(RunLoopTest, CallbackMayCancelLaterCallsOfItsTarget)
{
    int fired = 0;
    RunLoop::main().performAfter(1, this, [&] {
        ++fired;
        RunLoop::main().cancelPerforms(this);
    });
    RunLoop::main().performAfter(2, this, [&] { ++fired; });
    virtualClock().advance(3);
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTest, RepeatingTimerFiresOnEveryBeat)
{
    std::vector<double> beats;
    auto timer = Timer::repeating(1.0, [&](Timer&) { beats.push_back(since()); });
    virtualClock().advance(3.5);
    EXPECT_EQ(beats, (std::vector<double> { 1, 2, 3 }));
    EXPECT_TRUE(timer->isValid());
    timer->invalidate();
    virtualClock().advance(3);
    EXPECT_EQ(beats.size(), 3u);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, OneShotTimerIsSpentAfterFiring)
{
    int fired = 0;
    std::unique_ptr<Timer> timer;
    timer = Timer::singleShot(0.5, [&](Timer& t) {
        ++fired;
        EXPECT_EQ(&t, timer.get());
    });
    virtualClock().advance(0.4);
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(timer->isValid());
    virtualClock().advance(0.2);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isValid());
    virtualClock().advance(5);
    EXPECT_EQ(fired, 1);
}

// A timer ends when destroyed or invalidated, from outside or from inside
// its own callback, and fires no more.
TEST_F(RunLoopTest, DestroyedOrInvalidatedTimersStop)
{
    int outside = 0, destroyedInside = 0, invalidatedInside = 0;
    auto gone = Timer::repeating(1, [&](Timer&) { ++outside; });
    gone.reset();
    std::unique_ptr<Timer> self = Timer::repeating(1, [&](Timer&) {
        ++destroyedInside;
        self.reset();
    });
    auto spent = Timer::repeating(1, [&](Timer& t) {
        if (++invalidatedInside == 2)
            t.invalidate();
    });
    virtualClock().advance(5);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(destroyedInside, 1);
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(invalidatedInside, 2);
    EXPECT_FALSE(spent->isValid());
}

TEST_F(RunLoopTest, TimerScheduledFromACallbackFiresWithinTheSameAdvance)
{
    std::vector<double> seen;
    std::unique_ptr<Timer> second;
    auto first = Timer::singleShot(1, [&](Timer&) {
        seen.push_back(since());
        second = Timer::singleShot(0.5, [&](Timer&) { seen.push_back(since()); });
    });
    RunLoop::main().performAfter(1, this, [&] {
        // Scheduled at t=1 for t=1: due now, so it runs in this advance too.
        RunLoop::main().performAfter(0, this, [&] { seen.push_back(100 + since()); });
    });
    virtualClock().advance(2);
    EXPECT_EQ(seen, (std::vector<double> { 1, 101, 1.5 }));
}

TEST_F(RunLoopTest, RepeatingTimerRestartedFromItsCallbackKeepsTheNewSchedule)
{
    std::vector<double> seen;
    auto timer = Timer::repeating(1, [&](Timer&) { seen.push_back(since()); });
    RunLoop::main().performAfter(2.5, this, [&] {
        timer = Timer::repeating(1, [&](Timer&) { seen.push_back(10 + since()); });
    });
    virtualClock().advance(4.6);
    EXPECT_EQ(seen, (std::vector<double> { 1, 2, 13.5, 14.5 }));
}

TEST_F(RunLoopTest, FireRunsAtOnceAndKeepsTheRepeatingSchedule)
{
    std::vector<double> seen;
    auto timer = Timer::repeating(1, [&](Timer&) { seen.push_back(since()); });
    virtualClock().advance(0.3);
    timer->fire();
    virtualClock().advance(0.8);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[0], 0.3, 1e-9);
    EXPECT_EQ(seen[1], 1.0);
    auto once = Timer::singleShot(1, [&](Timer&) { seen.push_back(-1); });
    once->fire();
    EXPECT_FALSE(once->isValid());
    virtualClock().advance(2);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), -1.0), 1);
}

TEST_F(RunLoopTest, PostedCallsRunOnTheNextTurnInOrder)
{
    std::string order;
    RunLoop::main().post([&] {
        order += "a";
        RunLoop::main().post([&] { order += "c"; });
    });
    RunLoop::main().post([&] { order += "b"; });
    EXPECT_EQ(order, "");
    RunLoop::main().runPending();
    EXPECT_EQ(order, "abc");
}

TEST_F(RunLoopTest, RunPendingFiresWhatIsDueNowButNothingLater)
{
    int now = 0, later = 0;
    RunLoop::main().performAfter(0, this, [&] { ++now; });
    RunLoop::main().performAfter(0.001, this, [&] { ++later; });
    RunLoop::main().runPending();
    EXPECT_EQ(now, 1);
    EXPECT_EQ(later, 0);
}

TEST_F(RunLoopTest, RunOnMainAndWaitFromAnotherThread)
{
    EXPECT_TRUE(RunLoop::isMainThread());
    std::atomic<bool> ranOnMain { false };
    std::atomic<bool> done { false };
    bool workerIsMain = true;
    std::thread worker([&] {
        workerIsMain = RunLoop::isMainThread();
        RunLoop::main().runOnMainAndWait([&] { ranOnMain = RunLoop::isMainThread(); });
        done = true;
    });
    // The worker waits until the main thread turns its loop.
    for (int i = 0; i < 2000 && !done; ++i) {
        RunLoop::main().runPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_FALSE(workerIsMain);
    EXPECT_TRUE(done);
    EXPECT_TRUE(ranOnMain);

    int direct = 0;
    RunLoop::main().runOnMainAndWait([&] { ++direct; });
    EXPECT_EQ(direct, 1);
}

TEST_F(RunLoopTest, PostFromAnotherThreadRunsOnMain)
{
    std::atomic<int> ranOnMain { -1 };
    std::thread worker([&] { RunLoop::main().post([&] { ranOnMain = RunLoop::isMainThread() ? 1 : 0; }); });
    worker.join();
    RunLoop::main().runPending();
    EXPECT_EQ(ranOnMain, 1);
}

TEST_F(RunLoopTest, RunReturnsTheQuitCode)
{
    RunLoop::main().post([] { RunLoop::main().quit(7); });
    EXPECT_EQ(RunLoop::main().run(), 7);
    // A quit asked before the loop runs ends the next run at once.
    RunLoop::main().quit(3);
    EXPECT_EQ(RunLoop::main().run(), 3);
}

TEST_F(RunLoopTest, RealModeTimersRunOnQtsEventLoop)
{
    ASSERT_LT(RunLoop::main().nextDeadline(), 0) << "queue must be empty before the clock is swapped";
    RealClock real;
    Clock::install(&real);
    const double t0 = real.monotonic();
    std::vector<double> beats;
    double delayedAt = -1;
    auto timer = Timer::repeating(0.02, [&](Timer& t) {
        beats.push_back(real.monotonic() - t0);
        if (beats.size() == 3)
            t.invalidate();
    });
    RunLoop::main().performAfter(0.09, this, [&] {
        delayedAt = real.monotonic() - t0;
        RunLoop::main().quit(5);
    });
    // A watchdog so that a broken loop fails the test instead of hanging it.
    RunLoop::main().performAfter(5, &real, [] { RunLoop::main().quit(-1); });
    const int code = RunLoop::main().run();
    RunLoop::main().cancelPerforms(&real);
    Clock::install(&virtualClock());
    EXPECT_EQ(code, 5);
    ASSERT_EQ(beats.size(), 3u);
    EXPECT_GE(beats[0], 0.02);
    EXPECT_GE(beats[1], 0.04);
    EXPECT_GE(beats[2], 0.06);
    EXPECT_GE(delayedAt, 0.09);
    EXPECT_LT(delayedAt, 4.0);
    EXPECT_FALSE(timer->isValid());
}
