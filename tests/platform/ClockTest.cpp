#include "platform/Clock.h"
#include "platform/PlatformSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

using namespace platform;

namespace {
VirtualClock& virtualClock() { return *PlatformSession::current()->virtualClock(); }
}

TEST(Clock, TestsRunOnTheInstalledVirtualClock)
{
    ASSERT_NE(PlatformSession::current(), nullptr);
    ASSERT_NE(PlatformSession::current()->virtualClock(), nullptr);
    EXPECT_TRUE(Clock::shared().isVirtual());
    EXPECT_EQ(&Clock::shared(), PlatformSession::current()->virtualClock());
}

TEST(Clock, VirtualTimeMovesOnlyWhenTold)
{
    const double wall = virtualClock().now();
    const double mono = virtualClock().monotonic();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(virtualClock().now(), wall);
    virtualClock().advance(2.5);
    EXPECT_DOUBLE_EQ(virtualClock().now(), wall + 2.5);
    EXPECT_DOUBLE_EQ(virtualClock().monotonic(), mono + 2.5);
    virtualClock().advance(-4); // time never runs backwards
    EXPECT_DOUBLE_EQ(virtualClock().monotonic(), mono + 2.5);
}

TEST(Clock, ReferenceDateConversion)
{
    virtualClock().setNow(978307200.0 + 10);
    EXPECT_DOUBLE_EQ(Clock::shared().timeIntervalSinceReferenceDate(), 10);
    EXPECT_DOUBLE_EQ(Clock::shared().currentDate().secondsSinceReferenceDate(), 10);
    EXPECT_DOUBLE_EQ(Date::fromReferenceSeconds(10).secondsSince1970, 978307210.0);
}

TEST(Clock, SetLocalDateTimeHonoursTheOffset)
{
    virtualClock().setLocalOffsetSeconds(3600);
    virtualClock().setLocalDateTime(2026, 3, 1, 0, 30, 0);
    // 2026-03-01T00:30 at UTC+1 is 2026-02-28T23:30Z.
    EXPECT_DOUBLE_EQ(virtualClock().now(), 1772321400.0);
    virtualClock().setLocalOffsetSeconds(0);
    virtualClock().setLocalDateTime(2024, 2, 29, 12, 0, 0);
    EXPECT_DOUBLE_EQ(virtualClock().now(), 1709208000.0);
}

TEST(Clock, RealClockReadsTheSystem)
{
    RealClock real;
    const double sys = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(real.now(), sys, 1.0);
    const double a = real.monotonic();
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    EXPECT_GE(real.monotonic() - a, 0.010);
    const int off = real.localOffsetSeconds(real.now());
    EXPECT_GE(off, -14 * 3600);
    EXPECT_LE(off, 14 * 3600);
}

// Dates come from files and servers, so the local offset is asked of any
// instant; those the C library cannot place have none (found by fuzzing the
// date formatter, where converting them to time_t was undefined).
TEST(Clock, RealClockGivesNoOffsetToInstantsOutsideTheCalendar)
{
    RealClock real;
    for (double t : { std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1.79769e308, 9.5e15 })
        EXPECT_EQ(real.localOffsetSeconds(t), 0) << t;
    const int now = real.localOffsetSeconds(real.now());
    EXPECT_LE(std::abs(now), 18 * 3600);
}
