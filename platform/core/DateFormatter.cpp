// Our own interpreter of the Unicode date pattern language, with the
// en_US_POSIX names. Fields: y M d H h m s S a E Z and quoted literals.
// Pattern letters outside that set are written and matched as literal text.
#include "platform/DateFormatter.h"

#include "platform/CivilTime.h"
#include "platform/Clock.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace platform {

namespace {

const char* const kMonthsShort[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
const char* const kMonthsLong[] = { "January", "February", "March", "April", "May", "June", "July", "August", "September",
    "October", "November", "December" };
const char* const kDaysShort[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
const char* const kDaysLong[] = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };

struct Token {
    char letter = 0;   // 0 for literal text
    int count = 0;
    std::string text;  // literal text
};

bool isField(char c)
{
    switch (c) {
    case 'y': case 'M': case 'd': case 'H': case 'h': case 'm': case 's': case 'S': case 'a': case 'E': case 'Z':
        return true;
    default:
        return false;
    }
}

bool isNumeric(const Token& t)
{
    return t.letter && t.letter != 'a' && t.letter != 'E' && t.letter != 'Z' && !(t.letter == 'M' && t.count >= 3);
}

std::vector<Token> tokenize(std::string_view pattern)
{
    std::vector<Token> out;
    auto literal = [&](std::string_view s) {
        if (out.empty() || out.back().letter)
            out.push_back({});
        out.back().text += s;
    };
    size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c == '\'') {
            if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                literal("'");
                i += 2;
                continue;
            }
            // Quoted text runs to the next lone quote ('' inside is a quote);
            // an unterminated quote takes the rest of the pattern.
            size_t j = i + 1;
            std::string text;
            while (j < pattern.size()) {
                if (pattern[j] == '\'') {
                    if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
                        text += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += pattern[j++];
            }
            literal(text);
            i = j + 1;
            continue;
        }
        if (isField(c)) {
            size_t j = i;
            while (j < pattern.size() && pattern[j] == c)
                ++j;
            out.push_back({ c, int(j - i), {} });
            i = j;
            continue;
        }
        literal(std::string_view(&pattern[i], 1));
        ++i;
    }
    return out;
}

// The width comes from the pattern and has no upper bound, so the zeros are
// added here rather than by printf into a fixed buffer. The sign counts
// toward the width, as with "%0*lld".
void appendNumber(std::string& out, int64_t v, int width)
{
    char digits[24];
    uint64_t magnitude = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    int len = std::snprintf(digits, sizeof digits, "%llu", (unsigned long long)magnitude);
    int used = len + (v < 0 ? 1 : 0);
    if (v < 0)
        out += '-';
    if (width > used)
        out.append(size_t(width - used), '0');
    out.append(digits, size_t(len));
}

int zoneOffset(DateFormatter::Zone zone, double t)
{
    return zone == DateFormatter::Zone::GMT ? 0 : Clock::shared().localOffsetSeconds(t);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char a = text[i], b = word[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a + 32);
        if (b >= 'A' && b <= 'Z')
            b = char(b + 32);
        if (a != b)
            return false;
    }
    return true;
}

// Longest name of the list that the text starts with; -1 when none.
int matchName(std::string_view& text, const char* const* names, int n)
{
    int best = -1;
    size_t bestLen = 0;
    for (int i = 0; i < n; ++i) {
        std::string_view name = names[i];
        if (name.size() > bestLen && startsWithIgnoringCase(text, name)) {
            best = i;
            bestLen = name.size();
        }
    }
    if (best >= 0)
        text.remove_prefix(bestLen);
    return best;
}

}

DateFormatter::DateFormatter(std::string pattern, Zone zone) : pattern_(std::move(pattern)), zone_(zone) { }

std::string DateFormatter::format(Date date) const
{
    const double t = date.secondsSince1970;
    if (!std::isfinite(t))
        return "";
    const int offset = zoneOffset(zone_, t);
    const double local = t + offset;
    const civil::Fields f = civil::fieldsFromSeconds(local);
    const double frac = local - std::floor(local);
    std::string out;
    for (const Token& tok : tokenize(pattern_)) {
        const int n = tok.count;
        switch (tok.letter) {
        case 0:
            out += tok.text;
            break;
        case 'y':
            if (n == 2)
                appendNumber(out, ((f.year % 100) + 100) % 100, 2);
            else
                appendNumber(out, f.year, n);
            break;
        case 'M':
            if (n >= 4)
                out += kMonthsLong[f.month - 1];
            else if (n == 3)
                out += kMonthsShort[f.month - 1];
            else
                appendNumber(out, f.month, n);
            break;
        case 'd': appendNumber(out, f.day, n); break;
        case 'H': appendNumber(out, f.hour, n); break;
        case 'h': {
            // The 12-hour clock runs 12, 1, ..., 11: midnight and noon read 12.
            int h = f.hour % 12;
            appendNumber(out, h == 0 ? 12 : h, n);
            break;
        }
        case 'm': appendNumber(out, f.minute, n); break;
        case 's': appendNumber(out, f.second, n); break;
        case 'S': {
            // Fractions are truncated, never rounded up into the next second.
            // Half a microsecond absorbs the binary error of the seconds
            // (a double near today's date is good to about 0.2 us).
            double scaled = std::floor((frac + 5e-7) * std::pow(10.0, std::min(n, 9)));
            std::string digits;
            appendNumber(digits, int64_t(scaled), std::min(n, 9));
            if (digits.size() > size_t(std::min(n, 9)))
                digits = std::string(size_t(std::min(n, 9)), '9');
            out += digits;
            for (int i = 9; i < n; ++i)
                out += '0';
            break;
        }
        case 'a': out += f.hour < 12 ? "AM" : "PM"; break;
        case 'E': out += n >= 4 ? kDaysLong[f.weekday] : kDaysShort[f.weekday]; break;
        case 'Z': {
            int off = offset;
            char sign = off < 0 ? '-' : '+';
            off = std::abs(off);
            char buf[16];
            if (n == 5 && off == 0)
                out += 'Z';
            else if (n == 4) {
                std::snprintf(buf, sizeof buf, "GMT%c%02d:%02d", sign, off / 3600, off / 60 % 60);
                out += buf;
            } else if (n == 5) {
                std::snprintf(buf, sizeof buf, "%c%02d:%02d", sign, off / 3600, off / 60 % 60);
                out += buf;
            } else {
                std::snprintf(buf, sizeof buf, "%c%02d%02d", sign, off / 3600, off / 60 % 60);
                out += buf;
            }
            break;
        }
        }
    }
    return out;
}

// Numeric fields in a run of abutting numeric fields ("yyyyMMdd") take
// exactly their pattern width; elsewhere they take as many digits as are there.
// Fields not in the pattern default to 1970-01-01 00:00:00. Trailing spaces
// are allowed, as in header values cut short before their zone name.
std::optional<Date> DateFormatter::parse(std::string_view text) const
{
    const std::vector<Token> tokens = tokenize(pattern_);
    civil::Fields f;
    bool hasYear2 = false;
    int hour12 = -1;
    int pm = -1;
    double fraction = 0;
    std::optional<int> zone;
    std::string_view s = text;

    // A pattern may ask for any width, but more than 18 digits would not fit
    // the accumulator; such a field never matches.
    constexpr int kMaxDigits = 18;
    auto number = [&](int minDigits, int maxDigits, int64_t& out) {
        size_t i = 0;
        out = 0;
        while (i < s.size() && int(i) < maxDigits && s[i] >= '0' && s[i] <= '9') {
            if (int(i) == kMaxDigits)
                return false;
            out = out * 10 + (s[i] - '0');
            ++i;
        }
        if (int(i) < minDigits)
            return false;
        s.remove_prefix(i);
        return true;
    };

    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& tok = tokens[k];
        const bool abutting = (k + 1 < tokens.size() && isNumeric(tokens[k + 1])) || (k > 0 && isNumeric(tokens[k - 1]));
        const int n = tok.count;
        const int minD = abutting ? n : 1;
        const int maxD = abutting ? n : (tok.letter == 'y' ? 9 : (tok.letter == 'S' ? 9 : 2));
        int64_t v = 0;
        switch (tok.letter) {
        case 0:
            if (s.substr(0, tok.text.size()) != tok.text)
                return std::nullopt;
            s.remove_prefix(tok.text.size());
            break;
        case 'y':
            // Beyond a billion years the day count would overflow.
            if (!number(n == 2 ? 2 : minD, n == 2 ? 2 : maxD, v) || v > 999999999)
                return std::nullopt;
            f.year = v;
            hasYear2 = n == 2;
            break;
        case 'M':
            if (n >= 3) {
                int m = matchName(s, n >= 4 ? kMonthsLong : kMonthsShort, 12);
                if (m < 0 && n >= 4)
                    m = matchName(s, kMonthsShort, 12);
                if (m < 0)
                    return std::nullopt;
                f.month = m + 1;
            } else {
                if (!number(minD, maxD, v) || v > 12)
                    return std::nullopt;
                f.month = int(v);
            }
            break;
        case 'd':
            if (!number(minD, maxD, v) || v > 31)
                return std::nullopt;
            f.day = int(v);
            break;
        case 'H':
            if (!number(minD, maxD, v) || v > 23)
                return std::nullopt;
            f.hour = int(v);
            break;
        case 'h':
            if (!number(minD, maxD, v) || v < 1 || v > 12)
                return std::nullopt;
            hour12 = int(v);
            break;
        case 'm':
            if (!number(minD, maxD, v) || v > 59)
                return std::nullopt;
            f.minute = int(v);
            break;
        case 's':
            if (!number(minD, maxD, v) || v > 59)
                return std::nullopt;
            f.second = int(v);
            break;
        case 'S': {
            std::string_view before = s;
            if (!number(minD, maxD, v))
                return std::nullopt;
            size_t digits = before.size() - s.size();
            fraction = double(v) / std::pow(10.0, double(digits));
            break;
        }
        case 'a':
            if (startsWithIgnoringCase(s, "AM"))
                pm = 0;
            else if (startsWithIgnoringCase(s, "PM"))
                pm = 1;
            else
                return std::nullopt;
            s.remove_prefix(2);
            break;
        case 'E': {
            // The weekday is checked for form only; the date fields decide.
            int d = matchName(s, kDaysLong, 7);
            if (d < 0)
                d = matchName(s, kDaysShort, 7);
            if (d < 0)
                return std::nullopt;
            break;
        }
        case 'Z': {
            if (startsWithIgnoringCase(s, "Z") && !startsWithIgnoringCase(s, "Zulu")) {
                zone = 0;
                s.remove_prefix(1);
                break;
            }
            if (startsWithIgnoringCase(s, "GMT") || startsWithIgnoringCase(s, "UTC")) {
                s.remove_prefix(3);
                if (s.empty() || (s[0] != '+' && s[0] != '-')) {
                    zone = 0;
                    break;
                }
            }
            if (s.empty() || (s[0] != '+' && s[0] != '-'))
                return std::nullopt;
            int sign = s[0] == '-' ? -1 : 1;
            s.remove_prefix(1);
            int64_t hh = 0, mm = 0;
            if (!number(2, 2, hh))
                return std::nullopt;
            if (!s.empty() && s[0] == ':')
                s.remove_prefix(1);
            if (!number(2, 2, mm) || hh > 23 || mm > 59)
                return std::nullopt;
            zone = sign * int(hh * 3600 + mm * 60);
            break;
        }
        }
    }
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    if (!s.empty())
        return std::nullopt;

    if (hour12 >= 0)
        f.hour = (hour12 % 12) + (pm == 1 ? 12 : 0);
    else if (pm == 1 && f.hour < 12)
        f.hour += 12;
    if (hasYear2) {
        // Two-digit years land within 80 years before and 20 after today.
        int64_t current = civil::fieldsFromSeconds(Clock::shared().now()).year;
        int64_t base = current - 80;
        int64_t y = (base / 100) * 100 + f.year;
        if (y < base)
            y += 100;
        f.year = y;
    }
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > civil::daysInMonth(f.year, f.month))
        return std::nullopt;
    const double wall = double(civil::secondsFromFields(f)) + fraction;
    // A date the calendar cannot spell back is refused rather than clamped
    // into another one.
    if (!(std::fabs(wall) <= civil::kMaxSeconds - 86400))
        return std::nullopt;
    if (zone)
        return Date { wall - *zone };
    if (zone_ == Zone::GMT)
        return Date { wall };
    // The offset belongs to the instant, which is what is being found: a
    // second look settles days on which the offset changes.
    double guess = wall - zoneOffset(zone_, wall);
    return Date { wall - zoneOffset(zone_, guess) };
}

std::string DateFormatter::httpDate(Date date)
{
    return DateFormatter("EEE, dd MMM yyyy HH:mm:ss 'GMT'", Zone::GMT).format(date);
}

// With or without the zone name: servers send "GMT", and callers may have
// cut it off already.
std::optional<Date> DateFormatter::parseHttpDate(std::string_view text)
{
    if (auto d = DateFormatter("EEE, dd MMM yyyy HH:mm:ss 'GMT'", Zone::GMT).parse(text))
        return d;
    return DateFormatter("EEE, dd MMM yyyy HH:mm:ss", Zone::GMT).parse(text);
}

}
