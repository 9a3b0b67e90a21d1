#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tolvane {

namespace {

// Deeper structures than this are cut off as null: a dump is never that deep,
// and a runaway structure must not exhaust the stack.
constexpr int kMaxDepth = 200;

// Length of the valid UTF-8 sequence starting at s[i], or 0 when the bytes
// there do not form one (overlong forms, surrogates and values above U+10FFFF
// are refused, as JSON readers would refuse them).
size_t validUtf8Length(std::string_view s, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    size_t n;
    unsigned cp;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        unsigned char cc = byte(i + k);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

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

std::string JsonWriter::write(const platform::Value& value)
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
            size_t n = validUtf8Length(text, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
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

void JsonWriter::writeValue(std::string& out, const platform::Value& value, int depth)
{
    using T = platform::Value::Type;
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
