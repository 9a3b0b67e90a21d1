#pragma once
// One key and value of a JSON object in a document read by ADS_KVJSON. The
// key's hash is worked out once, while reading, and kept with it.

#include "json/ADSJSONValue.h"

#include "platform/Value.h"

#include <cstdint>
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

    // The hash platform dictionaries index keys by, so that a copy into
    // one does not hash the keys again.
    static uint32_t hashKey(const char* p, size_t n) { return platform::Dictionary::hashKey(std::string_view(p, n)); }

private:
    const char* key_ = nullptr;
    uint32_t keyLength_ = 0;
    uint32_t keyHash_ = 0;
    ADSJSONValue value_;
};
