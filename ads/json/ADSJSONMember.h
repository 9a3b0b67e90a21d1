#pragma once
// One key and value of a JSON object in a document read by ADS_KVJSON. The
// key's hash is worked out once, while reading, and kept with it.

#include "json/ADSJSONValue.h"

#include <cstdint>
#include <cstring>
#include <string_view>

class ADSJSONMember {
public:
    ADSJSONMember() = default;
    ADSJSONMember(const char* key, uint32_t length, uint32_t hash)
        : key_(key), keyLength_(length), keyHash_(hash)
    {
    }

    std::string_view key() const { return std::string_view(key_, keyLength_); }
    uint32_t keyHash() const { return keyHash_; }
    const ADSJSONValue& value() const { return value_; }
    void setValue(const ADSJSONValue& value) { value_ = value; }

    // Not a hash against hostile input in general, but objects are at most a
    // few thousand keys here and the reader's table only needs a spread.
    static uint32_t hashKey(const char* p, size_t n)
    {
        uint64_t h = 0x9E3779B97F4A7C15ull ^ (uint64_t(n) << 32);
        while (n >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
            p += 8;
            n -= 8;
        }
        uint64_t w = 0;
        if (n >= 4) {
            uint32_t x, y;
            std::memcpy(&x, p, 4);
            std::memcpy(&y, p + n - 4, 4);
            w = uint64_t(x) << 32 | y;
        } else if (n > 0) {
            w = uint64_t(uint8_t(p[0])) << 16 | uint64_t(uint8_t(p[n / 2])) << 8 | uint8_t(p[n - 1]);
        }
        h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 29;
        h *= 0xFF51AFD7ED558CCDull;
        return uint32_t(h >> 32);
    }

private:
    const char* key_ = nullptr;
    uint32_t keyLength_ = 0;
    uint32_t keyHash_ = 0;
    ADSJSONValue value_;
};
