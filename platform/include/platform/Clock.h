#pragma once
// The only source of time in the program: wall time, monotonic time and the
// local time zone. Real mode reads the system; virtual mode moves only when
// told, firing the run loop's due timers in deadline order as it goes.

#include "platform/Value.h"

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;

    // The clock installed for this process (see PlatformSession).
    static Clock& shared();
    static void install(Clock*); // non-owning; nullptr restores the default real clock

    // Seconds since 1970 (wall time).
    virtual double now() const = 0;
    Date currentDate() const { return Date { now() }; }
    double timeIntervalSinceReferenceDate() const { return now() - Date::kReferenceOffset; }
    // Seconds on a clock that never jumps; only differences mean anything.
    virtual double monotonic() const = 0;
    // Offset of local time from UTC, in seconds east, at the given instant.
    virtual int localOffsetSeconds(double secondsSince1970) const = 0;
    virtual bool isVirtual() const { return false; }
};

class RealClock final : public Clock {
public:
    double now() const override;
    double monotonic() const override;
    int localOffsetSeconds(double secondsSince1970) const override;
};

// Virtual time for tests and the automation mode. Starts at a fixed date
// (2026-01-15T12:00:00 local) with local time equal to UTC unless told.
class VirtualClock final : public Clock {
public:
    VirtualClock();
    double now() const override { return wall_; }
    double monotonic() const override { return mono_; }
    int localOffsetSeconds(double) const override { return offset_; }
    bool isVirtual() const override { return true; }

    void setNow(double secondsSince1970) { wall_ = secondsSince1970; }
    void setLocalOffsetSeconds(int seconds) { offset_ = seconds; }
    // Sets wall time so that local time reads the given calendar moment.
    void setLocalDateTime(int year, int month, int day, int hour, int minute, int second);

    // Moves time forward, firing every timer and delayed call that falls due
    // on the way, each at its own deadline and in deadline order (ties in the
    // order they were scheduled). Next-turn calls posted meanwhile run too.
    void advance(double seconds);

private:
    double wall_;
    double mono_ = 1000.0;
    int offset_ = 0;
};

}
