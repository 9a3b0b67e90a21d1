#pragma once
// The ad library's entry point to the platform's UTF-8 checks. It stands
// because the JSON component tells broken sequences apart in its own error
// texts; the checking itself is the platform's, with nothing added here.

#include "platform/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ADSUtf8 {
public:
    // Length of the well-formed sequence that starts at p, or 0 when it is not one.
    static size_t sequenceLength(const uint8_t* p, const uint8_t* end) { return platform::utf8::sequenceLength(p, end); }

    static bool isValid(const uint8_t* p, size_t length)
    {
        return platform::utf8::isValid(std::string_view(reinterpret_cast<const char*>(p), length));
    }
    static bool isValid(const std::string& s) { return platform::utf8::isValid(s); }

    static void append(std::string& out, uint32_t cp) { platform::utf8::append(out, cp); }
};
