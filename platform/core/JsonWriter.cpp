#include "platform/JsonWriter.h"

#include "platform/Utf8.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace platform {

namespace {

// Deeper structures than this are cut off as null: a dump is never that deep,
// and a runaway structure must not exhaust the stack.
constexpr int kMaxDepth = 200;

// The number grammar of JSON: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view t)
{
    size_t i = 0;
    const auto digits = [&] {
        size_t start = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        return i > start;
    };
    if (i < t.size() && t[i] == '-')
        ++i;
    if (i < t.size() && t[i] == '0')
        ++i;
    else if (!digits())
        return false;
    if (i < t.size() && t[i] == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == t.size();
}

}

std::string JsonWriter::write(const Value& value)
{
    std::string out;
    writeValue(out, value, 0);
    return out;
}

std::string JsonWriter::quote(std::string_view text)
{
    std::string out;
    writeString(out, text);
    return out;
}

void JsonWriter::writeNumber(std::string& out, double d)
{
    if (!std::isfinite(d)) {
        out += "null";
        return;
    }
    if (d == 0) {
        out += '0'; // no "-0"
        return;
    }
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    if (ec != std::errc()) {
        out += "null";
        return;
    }
    out.append(buf, end);
}

void JsonWriter::writeString(std::string& out, std::string_view text)
{
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            i += utf8::appendSequenceOrReplacement(out, text, i);
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
}

void JsonWriter::writeValue(std::string& out, const Value& value, int depth)
{
    using T = Value::Type;
    if (depth > kMaxDepth) {
        out += "null";
        return;
    }
    switch (value.type()) {
    case T::Null:
        out += "null";
        break;
    case T::Bool:
        out += value.asBool() ? "true" : "false";
        break;
    case T::Integer:
        out += std::to_string(value.asInt64());
        break;
    case T::Real:
        writeNumber(out, value.asDouble());
        break;
    case T::Decimal: {
        // The exact text is kept when it is a JSON number; anything else
        // goes through the double conversion.
        const std::string& t = value.asDecimal().text;
        if (isJsonNumber(t))
            out += t;
        else
            writeNumber(out, value.asDouble());
        break;
    }
    case T::String:
        writeString(out, value.asString());
        break;
    case T::Date:
        writeNumber(out, value.asDate().secondsSince1970);
        break;
    case T::Data: {
        out += '[';
        bool first = true;
        for (uint8_t b : value.asData()) {
            if (!first)
                out += ',';
            first = false;
            out += std::to_string(b);
        }
        out += ']';
        break;
    }
    case T::Array: {
        out += '[';
        bool first = true;
        for (const auto& item : value.asArray()) {
            if (!first)
                out += ',';
            first = false;
            writeValue(out, item, depth + 1);
        }
        out += ']';
        break;
    }
    case T::Dictionary: {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.asDictionary()) {
            if (!first)
                out += ',';
            first = false;
            writeString(out, key);
            out += ':';
            writeValue(out, item, depth + 1);
        }
        out += '}';
        break;
    }
    }
}

}
