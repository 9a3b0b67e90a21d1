#include "json/ADS_KVJSON.h"

#include "ADSConfiguration.h"
#include "encoding/ADSUtf8.h"
#include "platform/CivilTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <unordered_map>

using platform::Error;
using platform::Value;

namespace {

bool err(Error* slot, long code, std::string message)
{
    if (slot)
        *slot = Error(ADS_KVJSONErrorDomain, code, std::move(message));
    return false;
}

// The error already in `slot`, if any, becomes the cause of the new one.
bool errWithUnderlier(long code, Error* slot, std::string message)
{
    if (!slot)
        return false;
    std::shared_ptr<const Error> cause;
    if (!slot->domain.empty())
        cause = std::make_shared<const Error>(std::move(*slot));
    *slot = Error(ADS_KVJSONErrorDomain, code, std::move(message), std::move(cause));
    return false;
}

std::string hexByte(unsigned value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", value);
    return buf;
}

enum : uint8_t { kPlain = 0, kQuote, kBackslash, kControl, kHigh };

struct ByteClasses {
    uint8_t cls[256];
    bool space[256];
    constexpr ByteClasses() : cls(), space()
    {
        for (int i = 0; i < 256; ++i) {
            cls[i] = i < 32 ? kControl : i >= 128 ? kHigh : kPlain;
            space[i] = false;
        }
        cls[uint8_t('"')] = kQuote;
        cls[uint8_t('\\')] = kBackslash;
        for (int ch : { ' ', '\t', '\n', '\v', '\f', '\r' })
            space[ch] = true;
    }
};
constexpr ByteClasses kBytes;

// True when none of the eight bytes is a quote, a backslash, a control
// character or part of a multi-byte sequence.
inline bool wordIsPlain(const uint8_t* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highs = 0x8080808080808080ull;
    const uint64_t below32 = (w - ones * 0x20) & ~w & highs;
    const uint64_t q = w ^ (ones * uint8_t('"'));
    const uint64_t b = w ^ (ones * uint8_t('\\'));
    const uint64_t quote = (q - ones) & ~q & highs;
    const uint64_t backslash = (b - ones) & ~b & highs;
    return ((below32 | quote | backslash | (w & highs))) == 0;
}

inline bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }

int hexValue(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

const char* typeName(const Value& v)
{
    switch (v.type()) {
    case Value::Type::Null: return "Null";
    case Value::Type::Bool: return "Bool";
    case Value::Type::Integer: return "Integer";
    case Value::Type::Real: return "Real";
    case Value::Type::Decimal: return "Decimal";
    case Value::Type::String: return "String";
    case Value::Type::Date: return "Date";
    case Value::Type::Data: return "Data";
    case Value::Type::Array: return "Array";
    case Value::Type::Dictionary: return "Dictionary";
    }
    return "Unknown";
}

// Exactly the number grammar the reader accepts, so that a decimal written
// verbatim always reads back.
bool isJsonNumber(std::string_view s)
{
    size_t i = 0, n = s.size();
    if (i < n && s[i] == '-')
        ++i;
    if (i >= n)
        return false;
    if (s[i] == '0') {
        ++i;
    } else if (isDigit(uint8_t(s[i]))) {
        while (i < n && isDigit(uint8_t(s[i])))
            ++i;
    } else {
        return false;
    }
    if (i < n && s[i] == '.') {
        ++i;
        if (i >= n || !isDigit(uint8_t(s[i])))
            return false;
        while (i < n && isDigit(uint8_t(s[i])))
            ++i;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (i >= n || !isDigit(uint8_t(s[i])))
            return false;
        while (i < n && isDigit(uint8_t(s[i])))
            ++i;
    }
    return i == n;
}

// Dates and byte buffers have no JSON form; like any other object that only
// describes itself, they are written as their description text: a date as
// "2001-01-01 00:00:00 +0000" (UTC), bytes as "<00010203 0405>".
bool dateDescription(const platform::Date& d, std::string& out)
{
    if (!std::isfinite(d.secondsSince1970) || std::fabs(d.secondsSince1970) > 1e14)
        return false;
    const platform::civil::Fields f = platform::civil::fieldsFromSeconds(d.secondsSince1970);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02d-%02d %02d:%02d:%02d +0000", (long long)f.year, f.month, f.day, f.hour,
        f.minute, f.second);
    out = buf;
    return true;
}

std::string dataDescription(const platform::Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 + bytes.size() * 2 + bytes.size() / 4);
    out.push_back('<');
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            out.push_back(' ');
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 15]);
    }
    out.push_back('>');
    return out;
}

} // namespace

// ---------------------------------------------------------------- reading

std::optional<Value> ADS_KVJSON::objectWithString(const char* text, Error* error)
{
    if (!text) {
        err(error, 12, "Input was 'nil'");
        return std::nullopt;
    }
    return objectWithString(std::string_view(text), false, error);
}

std::optional<Value> ADS_KVJSON::fragmentWithString(const char* text, Error* error)
{
    if (!text) {
        err(error, 12, "Input was 'nil'");
        return std::nullopt;
    }
    return objectWithString(std::string_view(text), true, error);
}

std::optional<Value> ADS_KVJSON::objectWithString(std::string_view text, bool allowScalar, Error* error)
{
    depth_ = 0;
    c_ = reinterpret_cast<const uint8_t*>(text.data());
    end_ = c_ + text.size();
    valueStack_.clear();
    entryStack_.clear();

    Error local;
    Value result;
    bool ok = scanValue(result, &local);
    if (ok && !scanIsAtEnd())
        ok = err(&local, 10, "Garbage after JSON");
    if (ok && !allowScalar && !result.isDictionary() && !result.isArray())
        ok = err(&local, 4, "Valid fragment, but not JSON");
    c_ = end_ = nullptr;
    if (!ok) {
        valueStack_.clear();
        entryStack_.clear();
        if (error)
            *error = std::move(local);
        return std::nullopt;
    }
    return result;
}

void ADS_KVJSON::skipWhitespace()
{
    while (c_ < end_ && kBytes.space[*c_])
        ++c_;
}

bool ADS_KVJSON::scanIsAtEnd()
{
    skipWhitespace();
    return c_ == end_;
}

bool ADS_KVJSON::scanValue(Value& out, Error* error)
{
    skipWhitespace();
    if (c_ == end_)
        return err(error, 11, "Unexpected end of string");
    switch (*c_++) {
    case '[':
        return scanRestOfArray(out, error);
    case '{':
        return scanRestOfDictionary(out, error);
    case '"': {
        std::string s;
        if (!scanRestOfString(s, error))
            return false;
        out = Value(std::move(s));
        return true;
    }
    case 'n':
        return scanRestOfNull(out, error);
    case 't':
        return scanRestOfTrue(out, error);
    case 'f':
        return scanRestOfFalse(out, error);
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        --c_;
        return scanNumber(out, error);
    case '+':
        return err(error, 2, "Leading + disallowed in number");
    default:
        return err(error, 3, "Unrecognised leading character");
    }
}

namespace {
bool matchRest(const uint8_t*& c, const uint8_t* end, std::string_view rest)
{
    if (size_t(end - c) < rest.size() || std::memcmp(c, rest.data(), rest.size()) != 0)
        return false;
    c += rest.size();
    return true;
}
}

bool ADS_KVJSON::scanRestOfNull(Value& out, Error* error)
{
    if (!matchRest(c_, end_, "ull"))
        return err(error, 3, "Expected 'null'");
    out = Value(nullptr);
    return true;
}

bool ADS_KVJSON::scanRestOfTrue(Value& out, Error* error)
{
    if (!matchRest(c_, end_, "rue"))
        return err(error, 3, "Expected 'true'");
    out = Value(true);
    return true;
}

bool ADS_KVJSON::scanRestOfFalse(Value& out, Error* error)
{
    if (!matchRest(c_, end_, "alse"))
        return err(error, 3, "Expected 'false'");
    out = Value(false);
    return true;
}

bool ADS_KVJSON::scanNumber(Value& out, Error* error)
{
    const uint8_t* start = c_;
    if (!scanNumberText(error))
        return false;
    // The digits are kept as they were written, so the decimal cannot fail
    // to be made and nothing is rounded through binary floating point.
    out = Value(platform::Decimal { std::string(reinterpret_cast<const char*>(start), size_t(c_ - start)) });
    return true;
}

bool ADS_KVJSON::scanNumberText(Error* error)
{
    if (c_ < end_ && *c_ == '-')
        ++c_;
    if (c_ < end_ && *c_ == '0') {
        ++c_;
        if (c_ < end_ && isDigit(*c_))
            return err(error, 2, "Leading 0 disallowed in number");
    } else if (c_ < end_ && isDigit(*c_)) {
        while (c_ < end_ && isDigit(*c_))
            ++c_;
    } else {
        return err(error, 2, "No digits after initial minus");
    }
    if (c_ < end_ && *c_ == '.') {
        ++c_;
        if (c_ == end_ || !isDigit(*c_))
            return err(error, 2, "No digits after decimal point");
        while (c_ < end_ && isDigit(*c_))
            ++c_;
    }
    if (c_ < end_ && (*c_ == 'e' || *c_ == 'E')) {
        ++c_;
        if (c_ < end_ && (*c_ == '+' || *c_ == '-'))
            ++c_;
        if (c_ == end_ || !isDigit(*c_))
            return err(error, 2, "No digits after exponent");
        while (c_ < end_ && isDigit(*c_))
            ++c_;
    }
    return true;
}

bool ADS_KVJSON::scanRestOfString(std::string& out, Error* error)
{
    for (;;) {
        const uint8_t* run = c_;
        for (;;) {
            while (end_ - c_ >= 8 && wordIsPlain(c_))
                c_ += 8;
            if (c_ == end_)
                break;
            const uint8_t cls = kBytes.cls[*c_];
            if (cls == kPlain) {
                ++c_;
            } else if (cls == kHigh) {
                // Text that is not UTF-8 cannot become a string; it is
                // refused like a broken escape rather than passed on.
                const size_t n = ADSUtf8::sequenceLength(c_, end_);
                if (n == 0)
                    return err(error, 6, "Broken unicode character");
                c_ += n;
            } else {
                break;
            }
        }
        out.append(reinterpret_cast<const char*>(run), size_t(c_ - run));
        if (c_ == end_)
            return err(error, 5, "Unescaped control character '0x0'");
        const uint8_t b = *c_++;
        if (b == '"')
            return true;
        if (b < 32)
            return err(error, 5, "Unescaped control character '" + hexByte(b) + "'");
        // A backslash.
        const uint8_t e = c_ < end_ ? *c_++ : 0;
        switch (e) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': {
            uint32_t cp;
            if (!scanUnicodeChar(cp, error))
                return errWithUnderlier(6, error, "Broken unicode character");
            ADSUtf8::append(out, cp);
            break;
        }
        default:
            return err(error, 8, "Illegal escape sequence '" + hexByte(e) + "'");
        }
        if (c_ == end_)
            return err(error, 11, "Unexpected EOF while parsing string");
    }
}

bool ADS_KVJSON::scanHexQuad(uint32_t& out, Error* error)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        const int d = c_ < end_ ? hexValue(*c_) : -1;
        if (d < 0)
            return err(error, 6, "Missing hex digit in quad");
        v = (v << 4) | uint32_t(d);
        ++c_;
    }
    out = v;
    return true;
}

bool ADS_KVJSON::scanUnicodeChar(uint32_t& out, Error* error)
{
    uint32_t hi = 0;
    if (!scanHexQuad(hi, error))
        return errWithUnderlier(6, error, "Missing hex quad");
    if (hi >= 0xDC00 && hi <= 0xDFFF)
        return err(error, 6, "Invalid high character in surrogate pair");
    if (hi < 0xD800 || hi > 0xDBFF) {
        out = hi;
        return true;
    }
    if (end_ - c_ < 2 || c_[0] != '\\' || c_[1] != 'u')
        return err(error, 6, "Missing low character in surrogate pair");
    c_ += 2;
    uint32_t lo = 0;
    if (!scanHexQuad(lo, error))
        return errWithUnderlier(6, error, "Missing low character in surrogate pair");
    if (lo < 0xDC00 || lo > 0xDFFF)
        return err(error, 6, "Invalid low surrogate char");
    out = 0x10000 + ((hi - 0xD800) << 10) + (lo - 0xDC00);
    return true;
}

bool ADS_KVJSON::enterContainer(Error* error)
{
    ++depth_;
    if ((maxDepth_ != 0 && depth_ > maxDepth_) || depth_ > kHardDepthLimit)
        return err(error, 7, "Nested too deep");
    return true;
}

bool ADS_KVJSON::scanRestOfArray(Value& out, Error* error)
{
    if (!enterContainer(error))
        return false;
    const size_t base = valueStack_.size();
    for (;;) {
        if (c_ == end_)
            return err(error, 11, "End of input while parsing array");
        skipWhitespace();
        if (c_ < end_ && *c_ == ']') {
            ++c_;
            break;
        }
        // Numbers, the bulk of numeric arrays, go straight onto the stack.
        if (c_ < end_ && (isDigit(*c_) || *c_ == '-')) {
            const uint8_t* start = c_;
            if (!scanNumberText(error))
                return errWithUnderlier(3, error, "Expected value while parsing array");
            valueStack_.emplace_back(platform::Decimal { std::string(reinterpret_cast<const char*>(start), size_t(c_ - start)) });
        } else {
            Value item;
            if (!scanValue(item, error))
                return errWithUnderlier(3, error, "Expected value while parsing array");
            valueStack_.push_back(std::move(item));
        }
        skipWhitespace();
        if (c_ < end_ && *c_ == ',') {
            ++c_;
            skipWhitespace();
            if (c_ < end_ && *c_ == ']')
                return err(error, 9, "Trailing comma disallowed in array");
        }
    }
    --depth_;
    platform::Array items(std::make_move_iterator(valueStack_.begin() + ptrdiff_t(base)),
        std::make_move_iterator(valueStack_.end()));
    valueStack_.resize(base);
    out = Value(std::move(items));
    return true;
}

bool ADS_KVJSON::scanRestOfDictionary(Value& out, Error* error)
{
    if (!enterContainer(error))
        return false;
    const size_t base = entryStack_.size();
    // Large objects get a hash index for the duplicate-key check, so that a
    // hostile text with many keys costs linear time, not quadratic.
    constexpr size_t kLinearKeys = 16;
    std::unique_ptr<std::unordered_multimap<size_t, size_t>> index;
    const std::hash<std::string_view> hasher;
    for (;;) {
        if (c_ == end_)
            return err(error, 11, "End of input while parsing object");
        skipWhitespace();
        if (c_ < end_ && *c_ == '}') {
            ++c_;
            break;
        }
        if (c_ == end_ || *c_ != '"')
            return err(error, 3, "Object key string expected");
        ++c_;
        std::string key;
        if (!scanRestOfString(key, error))
            return errWithUnderlier(3, error, "Object key string expected");
        skipWhitespace();
        if (c_ == end_ || *c_ != ':')
            return err(error, 3, "Expected ':' separating key and value");
        ++c_;
        Value value;
        if (!scanValue(value, error))
            return errWithUnderlier(3, error, "Object value expected for key: " + key);

        // A later duplicate replaces the earlier value in its place.
        const size_t count = entryStack_.size() - base;
        size_t found = SIZE_MAX;
        if (!index) {
            for (size_t i = base; i < entryStack_.size(); ++i) {
                if (entryStack_[i].first == key) {
                    found = i;
                    break;
                }
            }
        } else {
            const auto range = index->equal_range(hasher(key));
            for (auto it = range.first; it != range.second; ++it) {
                if (entryStack_[it->second].first == key) {
                    found = it->second;
                    break;
                }
            }
        }
        if (found != SIZE_MAX) {
            entryStack_[found].second = std::move(value);
        } else {
            if (!index && count >= kLinearKeys) {
                index = std::make_unique<std::unordered_multimap<size_t, size_t>>();
                for (size_t i = base; i < entryStack_.size(); ++i)
                    index->emplace(hasher(entryStack_[i].first), i);
            }
            if (index)
                index->emplace(hasher(key), entryStack_.size());
            entryStack_.emplace_back(std::move(key), std::move(value));
        }

        skipWhitespace();
        if (c_ < end_ && *c_ == ',') {
            ++c_;
            skipWhitespace();
            if (c_ < end_ && *c_ == '}')
                return err(error, 9, "Trailing comma disallowed in object");
        }
    }
    --depth_;
    platform::Dictionary dict;
    dict.reserve(entryStack_.size() - base);
    for (size_t i = base; i < entryStack_.size(); ++i)
        dict.appendUnchecked(std::move(entryStack_[i].first), std::move(entryStack_[i].second));
    entryStack_.resize(base);
    out = Value(std::move(dict));
    return true;
}

// ---------------------------------------------------------------- writing

std::optional<std::string> ADS_KVJSON::stringWithObject(const Value& value, bool allowScalar, Error* error)
{
    depth_ = 0;
    if (!allowScalar && !value.isDictionary() && !value.isArray()) {
        err(error, 4, "Not valid type for JSON");
        return std::nullopt;
    }
    // Growing a large buffer step by step costs far more than the writing
    // (each step copies it and touches fresh pages), so its size is
    // estimated first; small results still start at 128 characters.
    std::string out;
    out.reserve(std::max<size_t>(128, estimatedSize(value, 1)));
    Error local;
    if (!appendValue(value, out, &local)) {
        if (error)
            *error = std::move(local);
        return std::nullopt;
    }
    return out;
}

// Close to the written length for plain text (escapes and indentation of
// unusual depth may need more); it stops looking below the nesting ceiling,
// where writing fails anyway.
size_t ADS_KVJSON::estimatedSize(const Value& value, uint32_t depth) const
{
    const size_t perElement = humanReadable_ ? 2 + 2 * size_t(depth) : 1;
    switch (value.type()) {
    case Value::Type::Dictionary: {
        size_t n = 2;
        if (depth > kHardDepthLimit)
            return n;
        for (const auto& [key, item] : value.asDictionary())
            n += perElement + key.size() + (humanReadable_ ? 5 : 3) + estimatedSize(item, depth + 1);
        return n;
    }
    case Value::Type::Array: {
        size_t n = 2;
        if (depth > kHardDepthLimit)
            return n;
        for (const Value& item : value.asArray())
            n += perElement + estimatedSize(item, depth + 1);
        return n;
    }
    case Value::Type::String: return value.asString().size() + 2;
    case Value::Type::Decimal: return value.decimalIf()->text.size();
    case Value::Type::Integer: return 20;
    case Value::Type::Real: return 24;
    case Value::Type::Date: return 27;
    case Value::Type::Data: return 4 + value.asData().size() * 9 / 4;
    default: return 5;
    }
}

bool ADS_KVJSON::appendValue(const Value& value, std::string& out, Error* error)
{
    char buf[64];
    switch (value.type()) {
    case Value::Type::Dictionary:
        return appendDictionary(value.asDictionary(), out, error);
    case Value::Type::Array:
        return appendArray(value.asArray(), out, error);
    case Value::Type::String:
        return appendString(value.asString(), out, error);
    case Value::Type::Bool:
        out.append(value.asBool() ? "true" : "false");
        return true;
    case Value::Type::Integer: {
        const auto r = std::to_chars(buf, buf + sizeof buf, value.asInt64());
        out.append(buf, size_t(r.ptr - buf));
        return true;
    }
    case Value::Type::Real: {
        // The shortest text that reads back to the same double ("0.1", not
        // "0.10000000000000001"). JSON has no spelling for NaN or the infinities.
        const double d = value.asDouble();
        if (!std::isfinite(d))
            break;
        const auto r = std::to_chars(buf, buf + sizeof buf, d);
        out.append(buf, size_t(r.ptr - buf));
        return true;
    }
    case Value::Type::Decimal: {
        // Written digit for digit: the text is the exact value, and any
        // normalising would change what a later read gives back.
        const std::string& text = value.decimalIf()->text;
        if (!isJsonNumber(text))
            break;
        out.append(text);
        return true;
    }
    case Value::Type::Null:
        out.append("null");
        return true;
    case Value::Type::Date: {
        std::string text;
        if (!dateDescription(value.asDate(), text))
            break;
        return appendString(text, out, error);
    }
    case Value::Type::Data:
        return appendString(dataDescription(value.asData()), out, error);
    }
    return err(error, 1, std::string("JSON serialisation not supported for ") + typeName(value));
}

void ADS_KVJSON::indent(std::string& out) const
{
    out.push_back('\n');
    out.append(size_t(depth_) * 2, ' ');
}

bool ADS_KVJSON::appendArray(const platform::Array& array, std::string& out, Error* error)
{
    if (depth_ >= kHardDepthLimit)
        return err(error, 7, "Nested too deep");
    out.push_back('[');
    ++depth_;
    bool first = true;
    for (const Value& item : array) {
        if (!first)
            out.push_back(',');
        first = false;
        if (humanReadable_)
            indent(out);
        if (!appendValue(item, out, error))
            return false;
    }
    --depth_;
    if (humanReadable_ && !array.empty())
        indent(out);
    out.push_back(']');
    return true;
}

bool ADS_KVJSON::appendDictionary(const platform::Dictionary& dict, std::string& out, Error* error)
{
    if (depth_ >= kHardDepthLimit)
        return err(error, 7, "Nested too deep");
    out.push_back('{');
    ++depth_;
    std::vector<const platform::Dictionary::Entry*> entries;
    entries.reserve(dict.size());
    for (const auto& entry : dict)
        entries.push_back(&entry);
    // Byte order of UTF-8 keys, which is the order of their code points.
    if (sortKeys_) {
        std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
    }
    bool first = true;
    for (const auto* entry : entries) {
        if (!first)
            out.push_back(',');
        first = false;
        if (humanReadable_)
            indent(out);
        // Keys are always strings here; one that is not UTF-8 is no JSON
        // string either.
        if (!appendString(entry->first, out, error))
            return err(error, 1, "JSON object key must be string");
        out.append(humanReadable_ ? " : " : ":");
        if (!appendValue(entry->second, out, error))
            return errWithUnderlier(1, error, "Unsupported value for key " + entry->first + " in object");
    }
    --depth_;
    if (humanReadable_ && !dict.empty())
        indent(out);
    out.push_back('}');
    return true;
}

bool ADS_KVJSON::appendString(std::string_view text, std::string& out, Error* error)
{
    static const char hex[] = "0123456789abcdef";
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = p + text.size();
    out.push_back('"');
    for (;;) {
        const uint8_t* run = p;
        for (;;) {
            while (end - p >= 8 && wordIsPlain(p))
                p += 8;
            if (p == end)
                break;
            const uint8_t cls = kBytes.cls[*p];
            if (cls == kPlain) {
                ++p;
            } else if (cls == kHigh) {
                const size_t n = ADSUtf8::sequenceLength(p, end);
                if (n == 0)
                    return err(error, 1, "JSON serialisation not supported for String");
                p += n;
            } else {
                break;
            }
        }
        out.append(reinterpret_cast<const char*>(run), size_t(p - run));
        if (p == end)
            break;
        const uint8_t b = *p++;
        switch (b) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\t': out.append("\\t"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default: {
            const char esc[6] = { '\\', 'u', '0', '0', hex[b >> 4], hex[b & 15] };
            out.append(esc, 6);
        }
        }
    }
    out.push_back('"');
    return true;
}
