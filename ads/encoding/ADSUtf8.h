#pragma once
// Checks UTF-8 byte sequences (shortest form, no surrogates, at most U+10FFFF)
// and appends code points as UTF-8. It converts nothing else.

#include <cstddef>
#include <cstdint>
#include <string>

class ADSUtf8 {
public:
    // Length of the well-formed sequence that starts at p (a byte >= 0x80),
    // or 0 when it is not one.
    static size_t sequenceLength(const uint8_t* p, const uint8_t* end)
    {
        const uint8_t b0 = p[0];
        const size_t avail = size_t(end - p);
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            return avail >= 2 && isTail(p[1]) ? 2 : 0;
        }
        if (b0 >= 0xE0 && b0 <= 0xEF) {
            if (avail < 3 || !isTail(p[1]) || !isTail(p[2]))
                return 0;
            if (b0 == 0xE0 && p[1] < 0xA0)
                return 0; // overlong
            if (b0 == 0xED && p[1] >= 0xA0)
                return 0; // a surrogate half
            return 3;
        }
        if (b0 >= 0xF0 && b0 <= 0xF4) {
            if (avail < 4 || !isTail(p[1]) || !isTail(p[2]) || !isTail(p[3]))
                return 0;
            if (b0 == 0xF0 && p[1] < 0x90)
                return 0; // overlong
            if (b0 == 0xF4 && p[1] >= 0x90)
                return 0; // above U+10FFFF
            return 4;
        }
        return 0;
    }

    static bool isValid(const uint8_t* p, size_t length)
    {
        const uint8_t* end = p + length;
        while (p < end) {
            if (*p < 0x80) {
                ++p;
                continue;
            }
            const size_t n = sequenceLength(p, end);
            if (n == 0)
                return false;
            p += n;
        }
        return true;
    }
    static bool isValid(const std::string& s)
    {
        return isValid(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    }

    static void append(std::string& out, uint32_t cp)
    {
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            const char b[2] = { char(0xC0 | (cp >> 6)), char(0x80 | (cp & 0x3F)) };
            out.append(b, 2);
        } else if (cp < 0x10000) {
            const char b[3] = { char(0xE0 | (cp >> 12)), char(0x80 | ((cp >> 6) & 0x3F)),
                char(0x80 | (cp & 0x3F)) };
            out.append(b, 3);
        } else {
            const char b[4] = { char(0xF0 | (cp >> 18)), char(0x80 | ((cp >> 12) & 0x3F)),
                char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F)) };
            out.append(b, 4);
        }
    }

private:
    static bool isTail(uint8_t b) { return (b & 0xC0) == 0x80; }
};
