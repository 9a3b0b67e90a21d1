#pragma once
// Calendar arithmetic on the proleptic Gregorian calendar, shared by the
// clock, the date formatter and the property-list date form. No time zones
// here: callers add or remove their own offset.

#include <cmath>
#include <cstdint>

namespace platform::civil {

struct Fields {
    int64_t year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0, minute = 0, second = 0;
    int weekday = 4; // 0 = Sunday
};

inline bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

inline int daysInMonth(int64_t y, int m)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (m < 1 || m > 12)
        return 0;
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a calendar day (Howard Hinnant's algorithm).
inline int64_t daysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline void civilFromDays(int64_t z, int64_t& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

inline int64_t secondsFromFields(const Fields& f)
{
    return daysFromCivil(f.year, f.month, f.day) * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
}

// The instants the calendar spells, about 285 million years either side of
// 1970; the arithmetic beyond would overflow. Readers refuse dates outside,
// writers clamp to it.
constexpr double kMaxSeconds = 9.0e15;

// Whole seconds are taken with floor, so an instant just before 1970 lands
// on the previous second rather than rounding toward the epoch.
inline Fields fieldsFromSeconds(double seconds)
{
    Fields f;
    if (!std::isfinite(seconds))
        seconds = 0;
    if (seconds > kMaxSeconds)
        seconds = kMaxSeconds;
    if (seconds < -kMaxSeconds)
        seconds = -kMaxSeconds;
    int64_t s = int64_t(std::floor(seconds));
    int64_t days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
    int64_t rem = s - days * 86400;
    civilFromDays(days, f.year, f.month, f.day);
    f.hour = int(rem / 3600);
    f.minute = int(rem / 60 % 60);
    f.second = int(rem % 60);
    int64_t wd = (days + 4) % 7; // 1970-01-01 was a Thursday
    f.weekday = int(wd < 0 ? wd + 7 : wd);
    return f;
}

}
