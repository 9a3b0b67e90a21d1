// Real and virtual clocks, and the process's choice between them. The
// virtual clock's advance lives with the run loop it drives (qt/RunLoop.cpp).
#include "platform/Clock.h"

#include "platform/CivilTime.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>

namespace platform {

namespace {
RealClock& defaultClock()
{
    static RealClock clock;
    return clock;
}
std::atomic<Clock*> installed { nullptr };
}

Clock& Clock::shared()
{
    Clock* c = installed.load(std::memory_order_acquire);
    return c ? *c : defaultClock();
}

void Clock::install(Clock* clock) { installed.store(clock, std::memory_order_release); }

double RealClock::now() const
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

double RealClock::monotonic() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int RealClock::localOffsetSeconds(double secondsSince1970) const
{
    // Instants the C library cannot place (NaN, or beyond its years) have no
    // local offset; converting them to time_t would be undefined.
    if (!(std::fabs(secondsSince1970) < civil::kMaxSeconds))
        return 0;
    std::time_t t = std::time_t(secondsSince1970);
    std::tm local {};
    if (!localtime_r(&t, &local))
        return 0;
    return int(local.tm_gmtoff);
}

VirtualClock::VirtualClock()
{
    civil::Fields f;
    f.year = 2026;
    f.month = 1;
    f.day = 15;
    f.hour = 12;
    wall_ = double(civil::secondsFromFields(f));
}

void VirtualClock::setLocalDateTime(int year, int month, int day, int hour, int minute, int second)
{
    civil::Fields f;
    f.year = year;
    f.month = month;
    f.day = day;
    f.hour = hour;
    f.minute = minute;
    f.second = second;
    wall_ = double(civil::secondsFromFields(f)) - offset_;
}

}
