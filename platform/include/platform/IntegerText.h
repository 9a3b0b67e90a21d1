#pragma once
// The leading decimal integer of a text, as the settings store, exact
// decimals, the saved game and the ad library's version numbers read it.
// Only this one reading; number formats with more to them parse elsewhere.

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace platform {

// Spaces (space, tab, line feed, carriage return), an optional sign, then
// digits up to the first non-digit; nothing when no digit follows. Values
// past the 64-bit range saturate.
inline std::optional<int64_t> leadingInteger(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    bool neg = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() < '0' || s.front() > '9')
        return std::nullopt;
    uint64_t acc = 0;
    bool overflow = false;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        if (acc > (std::numeric_limits<uint64_t>::max() - 9) / 10)
            overflow = true;
        else
            acc = acc * 10 + uint64_t(c - '0');
    }
    const uint64_t limit = neg ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
    if (overflow || acc > limit)
        return neg ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return neg ? int64_t(0 - acc) : int64_t(acc);
}

}
