#pragma once
// RFC 4648 base64 for property-list data elements. Decoding skips XML
// whitespace and refuses anything else outside the alphabet or misplaced
// padding.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::base64 {

inline void encode(const uint8_t* p, size_t n, std::string& out)
{
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8) | p[i + 2];
        out += abc[v >> 18];
        out += abc[(v >> 12) & 63];
        out += abc[(v >> 6) & 63];
        out += abc[v & 63];
    }
    if (n - i == 1) {
        uint32_t v = uint32_t(p[i]) << 16;
        out += abc[v >> 18];
        out += abc[(v >> 12) & 63];
        out += "==";
    } else if (n - i == 2) {
        uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8);
        out += abc[v >> 18];
        out += abc[(v >> 12) & 63];
        out += abc[(v >> 6) & 63];
        out += '=';
    }
}

inline bool decode(std::string_view text, std::vector<uint8_t>& out)
{
    uint32_t acc = 0;
    int bits = 0, count = 0, padding = 0;
    for (char ch : text) {
        int v;
        if (ch >= 'A' && ch <= 'Z')
            v = ch - 'A';
        else if (ch >= 'a' && ch <= 'z')
            v = ch - 'a' + 26;
        else if (ch >= '0' && ch <= '9')
            v = ch - '0' + 52;
        else if (ch == '+')
            v = 62;
        else if (ch == '/')
            v = 63;
        else if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r')
            continue;
        else if (ch == '=') {
            ++padding;
            ++count;
            continue;
        } else
            return false;
        if (padding)
            return false; // data after padding
        acc = (acc << 6) | uint32_t(v);
        bits += 6;
        ++count;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(uint8_t(acc >> bits));
        }
    }
    if (count % 4 != 0 || padding > 2)
        return false;
    // Leftover bits must be zero; otherwise the text was not a clean encoding.
    return (acc & ((1u << bits) - 1)) == 0;
}

}
