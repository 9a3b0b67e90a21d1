#pragma once
// Writes a Value as compact JSON text on one line: the program's JSON writer
// outside the ad library (the automation mode's state dumps). It does not read
// JSON and does not pretty-print.

#include "platform/Value.h"
#include <string>

namespace platform {

class JsonWriter {
public:
    // Dictionaries keep their insertion order. Dates become their seconds
    // since 1970, data becomes an array of byte values, NaN and infinities
    // become null, and text that is not valid UTF-8 has each bad byte replaced
    // by U+FFFD, so the output is always valid JSON.
    static std::string write(const Value& value);

    // A JSON string literal (with quotes) for UTF-8 text.
    static std::string quote(std::string_view text);

private:
    static void writeValue(std::string& out, const Value& value, int depth);
    static void writeNumber(std::string& out, double d);
    static void writeString(std::string& out, std::string_view text);
};

}
