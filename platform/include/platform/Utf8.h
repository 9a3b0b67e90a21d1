#pragma once
// UTF-8 checks shared by the readers and writers that must never pass on
// broken text. Overlong forms, surrogates and code points past U+10FFFF fail.
// The one implementation in the program; it converts to no other encoding.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::utf8 {

// Length of the valid sequence that starts at p (before end), or 0 when the
// bytes there do not form one.
inline size_t sequenceLength(const uint8_t* p, const uint8_t* end)
{
    const size_t n = size_t(end - p);
    const uint8_t c = p[0];
    if (c < 0x80)
        return 1;
    auto cont = [&](size_t k) { return k < n && (p[k] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if (c == 0xE0 && p[1] < 0xA0)
            return 0; // overlong
        if (c == 0xED && p[1] >= 0xA0)
            return 0; // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if (c == 0xF0 && p[1] < 0x90)
            return 0; // overlong
        if (c == 0xF4 && p[1] >= 0x90)
            return 0; // past U+10FFFF
        return 4;
    }
    return 0;
}

// Length of the valid sequence starting at s[i], or 0 when it is broken.
inline size_t sequenceLength(std::string_view s, size_t i)
{
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    return sequenceLength(p + i, p + s.size());
}

inline bool isValid(std::string_view s)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        // ASCII runs are the common case; skip them eight bytes at a time.
        while (i + 8 <= n) {
            uint64_t w;
            __builtin_memcpy(&w, s.data() + i, 8);
            if (w & 0x8080808080808080ull)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        size_t len = sequenceLength(s, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

// Copies the valid sequence at s[i] to `out`, or writes U+FFFD for a byte
// that starts none, so that what a writer produces is always valid UTF-8.
// Returns how many bytes of `s` were used.
inline size_t appendSequenceOrReplacement(std::string& out, std::string_view s, size_t i)
{
    const size_t n = sequenceLength(s, i);
    if (n == 0) {
        out += "\xEF\xBF\xBD";
        return 1;
    }
    out.append(s.data() + i, n);
    return n;
}

inline void append(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

}
