#include "json/ADS_KVJSON.h"

#include "ADSConfiguration.h"
#include "encoding/ADSUtf8.h"
#include "platform/CivilTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

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

namespace {

// Scanning sixteen bytes at a time: SSE2 is part of every x86-64 processor;
// elsewhere eight bytes at a time through plain integers.
#if defined(__x86_64__)
inline __m128i load16(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The first quote, backslash, control character or byte of a multi-byte
// character at or after p, or end.
inline const uint8_t* findStringSpecial(const uint8_t* p, const uint8_t* end)
{
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i space = _mm_set1_epi8(0x20);
    while (end - p >= 16) {
        const __m128i v = load16(p);
        // Signed bytes: below 0x20 catches the controls and, as negative
        // numbers, every byte from 0x80.
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)),
            _mm_cmplt_epi8(v, space));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(hit)))
            return p + __builtin_ctz(mask);
        p += 16;
    }
    while (p < end && kBytes.cls[*p] == kPlain)
        ++p;
    return p;
}

inline const uint8_t* skipSpaces(const uint8_t* p, const uint8_t* end)
{
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i shift = _mm_set1_epi8(char(0x80 - '\t'));
    const __m128i limit = _mm_set1_epi8(char(0x80 + ('\r' - '\t') + 1));
    while (end - p >= 16) {
        const __m128i v = load16(p);
        // Tab to carriage return (9 to 13) become the five smallest signed bytes.
        const __m128i ws = _mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmplt_epi8(_mm_add_epi8(v, shift), limit));
        const unsigned other = ~unsigned(_mm_movemask_epi8(ws)) & 0xFFFF;
        if (other)
            return p + __builtin_ctz(other);
        p += 16;
    }
    while (p < end && kBytes.space[*p])
        ++p;
    return p;
}

inline const uint8_t* skipDigits(const uint8_t* p, const uint8_t* end)
{
    const __m128i shift = _mm_set1_epi8(char(0x80 - '0'));
    const __m128i limit = _mm_set1_epi8(char(0x80 + 10));
    while (end - p >= 16) {
        const __m128i digits = _mm_cmplt_epi8(_mm_add_epi8(load16(p), shift), limit);
        const unsigned other = ~unsigned(_mm_movemask_epi8(digits)) & 0xFFFF;
        if (other)
            return p + __builtin_ctz(other);
        p += 16;
    }
    while (p < end && isDigit(*p))
        ++p;
    return p;
}
#else
inline const uint8_t* findStringSpecial(const uint8_t* p, const uint8_t* end)
{
    while (end - p >= 8 && wordIsPlain(p))
        p += 8;
    while (p < end && kBytes.cls[*p] == kPlain)
        ++p;
    return p;
}

inline const uint8_t* skipSpaces(const uint8_t* p, const uint8_t* end)
{
    while (p < end && kBytes.space[*p])
        ++p;
    return p;
}

inline const uint8_t* skipDigits(const uint8_t* p, const uint8_t* end)
{
    while (p < end && isDigit(*p))
        ++p;
    return p;
}
#endif

// Every well-formed multi-byte character from p on; p itself is not ASCII.
// Answers where they stop, or null at one that is not UTF-8.
inline const uint8_t* skipUtf8(const uint8_t* p, const uint8_t* end)
{
    do {
        const size_t n = ADSUtf8::sequenceLength(p, end);
        if (n == 0)
            return nullptr;
        p += n;
    } while (p < end && *p >= 0x80);
    return p;
}

bool matchRest(const uint8_t*& c, const uint8_t* end, std::string_view rest)
{
    if (size_t(end - c) < rest.size() || std::memcmp(c, rest.data(), rest.size()) != 0)
        return false;
    c += rest.size();
    return true;
}

// A document takes about as much memory as its text (less for indented
// text, a little more for long runs of short numbers). A first block that
// large is mostly used; what is not is never touched, so costs nothing.
size_t firstBlockFor(size_t textLength)
{
    return textLength + textLength / 4 + 1024;
}

constexpr size_t kMaxTextLength = UINT32_MAX;

}

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
    std::optional<ADSJSONDocument> document = documentWithString(text, allowScalar, error);
    if (!document)
        return std::nullopt;
    return document->toValue();
}

std::optional<ADSJSONDocument> ADS_KVJSON::documentWithString(std::string_view text, bool allowScalar, Error* error)
{
    // Lengths and counts are kept in 32 bits.
    if (text.size() > kMaxTextLength) {
        err(error, 12, "Input too long");
        return std::nullopt;
    }
    depth_ = 0;
    c_ = reinterpret_cast<const uint8_t*>(text.data());
    end_ = c_ + text.size();
    valueStack_.clear();
    memberStack_.clear();
    ADSJSONArena arena(firstBlockFor(text.size()));
    arena_ = &arena;

    Error local;
    ADSJSONValue root;
    bool ok = scanValue(root, &local);
    if (ok && !scanIsAtEnd())
        ok = err(&local, 10, "Garbage after JSON");
    if (ok && !allowScalar && !root.isObject() && !root.isArray())
        ok = err(&local, 4, "Valid fragment, but not JSON");
    c_ = end_ = nullptr;
    arena_ = nullptr;
    if (!ok) {
        valueStack_.clear();
        memberStack_.clear();
        if (error)
            *error = std::move(local);
        return std::nullopt;
    }
    return ADSJSONDocument(std::move(arena), root);
}

inline void ADS_KVJSON::skipWhitespace()
{
    // Compact text has no space at all, indented text runs of them.
    if (c_ < end_ && kBytes.space[*c_])
        c_ = skipSpaces(c_ + 1, end_);
}

bool ADS_KVJSON::scanIsAtEnd()
{
    skipWhitespace();
    return c_ == end_;
}

bool ADS_KVJSON::scanValue(ADSJSONValue& out, Error* error)
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
        const char* chars;
        uint32_t length;
        if (!scanRestOfString(chars, length, error))
            return false;
        out = ADSJSONValue::string(chars, length);
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

bool ADS_KVJSON::scanRestOfNull(ADSJSONValue& out, Error* error)
{
    if (!matchRest(c_, end_, "ull"))
        return err(error, 3, "Expected 'null'");
    out = ADSJSONValue();
    return true;
}

bool ADS_KVJSON::scanRestOfTrue(ADSJSONValue& out, Error* error)
{
    if (!matchRest(c_, end_, "rue"))
        return err(error, 3, "Expected 'true'");
    out = ADSJSONValue::boolean(true);
    return true;
}

bool ADS_KVJSON::scanRestOfFalse(ADSJSONValue& out, Error* error)
{
    if (!matchRest(c_, end_, "alse"))
        return err(error, 3, "Expected 'false'");
    out = ADSJSONValue::boolean(false);
    return true;
}

bool ADS_KVJSON::scanNumber(ADSJSONValue& out, Error* error)
{
    const uint8_t* start = c_;
    if (!scanNumberText(error))
        return false;
    // The characters are kept as they were written, so nothing is rounded
    // through binary floating point and the decimal cannot fail to be made.
    const size_t length = size_t(c_ - start);
    if (length <= ADSJSONValue::kInlineNumberLength) {
        if (end_ - start >= 32) {
            out = ADSJSONValue::inlineNumber(start, length);
        } else {
            uint8_t tail[32] = {};
            std::memcpy(tail, start, length);
            out = ADSJSONValue::inlineNumber(tail, length);
        }
        return true;
    }
    out = ADSJSONValue::longNumber(copyText(start, length), uint32_t(length));
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
        c_ = skipDigits(c_ + 1, end_);
    } else {
        return err(error, 2, "No digits after initial minus");
    }
    if (c_ < end_ && *c_ == '.') {
        ++c_;
        if (c_ == end_ || !isDigit(*c_))
            return err(error, 2, "No digits after decimal point");
        c_ = skipDigits(c_ + 1, end_);
    }
    if (c_ < end_ && (*c_ == 'e' || *c_ == 'E')) {
        ++c_;
        if (c_ < end_ && (*c_ == '+' || *c_ == '-'))
            ++c_;
        if (c_ == end_ || !isDigit(*c_))
            return err(error, 2, "No digits after exponent");
        c_ = skipDigits(c_ + 1, end_);
    }
    return true;
}

// The empty text takes no room and is never copied.
const char* ADS_KVJSON::copyText(const uint8_t* text, size_t length)
{
    if (length == 0)
        return nullptr;
    char* copy = arena_->allocateText(length);
    std::memcpy(copy, text, length);
    return copy;
}

bool ADS_KVJSON::scanRestOfString(const char*& chars, uint32_t& length, Error* error)
{
    const uint8_t* start = c_;
    const uint8_t* p = c_;
    for (;;) {
        p = findStringSpecial(p, end_);
        if (p == end_) {
            c_ = p;
            return err(error, 5, "Unescaped control character '0x0'");
        }
        if (*p == '"')
            break;
        if (*p < 0x80)
            return scanRestOfEscapedString(start, chars, length, error);
        // Text that is not UTF-8 cannot become a string; it is refused like
        // a broken escape rather than passed on.
        p = skipUtf8(p, end_);
        if (!p)
            return err(error, 6, "Broken unicode character");
    }
    // Most strings have no escapes and are copied as they stand.
    chars = copyText(start, size_t(p - start));
    length = uint32_t(p - start);
    c_ = p + 1;
    return true;
}

// From the first backslash or control character on, one piece at a time.
bool ADS_KVJSON::scanRestOfEscapedString(const uint8_t* start, const char*& chars, uint32_t& length, Error* error)
{
    std::string& out = escaped_;
    out.clear();
    c_ = start;
    for (;;) {
        const uint8_t* run = c_;
        for (;;) {
            c_ = findStringSpecial(c_, end_);
            if (c_ == end_ || *c_ < 0x80)
                break;
            c_ = skipUtf8(c_, end_);
            if (!c_)
                return err(error, 6, "Broken unicode character");
        }
        out.append(reinterpret_cast<const char*>(run), size_t(c_ - run));
        if (c_ == end_)
            return err(error, 5, "Unescaped control character '0x0'");
        const uint8_t b = *c_++;
        if (b == '"')
            break;
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
            uint32_t cp = 0;
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
    chars = copyText(reinterpret_cast<const uint8_t*>(out.data()), out.size());
    length = uint32_t(out.size());
    return true;
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

bool ADS_KVJSON::scanRestOfArray(ADSJSONValue& out, Error* error)
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
        ADSJSONValue item;
        if (!scanValue(item, error))
            return errWithUnderlier(3, error, "Expected value while parsing array");
        valueStack_.push_back(item);
        skipWhitespace();
        if (c_ < end_ && *c_ == ',') {
            ++c_;
            skipWhitespace();
            if (c_ < end_ && *c_ == ']')
                return err(error, 9, "Trailing comma disallowed in array");
        }
    }
    --depth_;
    const size_t count = valueStack_.size() - base;
    ADSJSONValue* items = nullptr;
    if (count > 0) {
        items = static_cast<ADSJSONValue*>(arena_->allocate(count * sizeof(ADSJSONValue), alignof(ADSJSONValue)));
        std::memcpy(static_cast<void*>(items), valueStack_.data() + base, count * sizeof(ADSJSONValue));
        valueStack_.resize(base);
    }
    out = ADSJSONValue::array(items, uint32_t(count));
    return true;
}

bool ADS_KVJSON::scanRestOfDictionary(ADSJSONValue& out, Error* error)
{
    if (!enterContainer(error))
        return false;
    const size_t base = memberStack_.size();
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
        const char* key;
        uint32_t keyLength;
        if (!scanRestOfString(key, keyLength, error))
            return errWithUnderlier(3, error, "Object key string expected");
        skipWhitespace();
        if (c_ == end_ || *c_ != ':')
            return err(error, 3, "Expected ':' separating key and value");
        ++c_;
        ADSJSONValue value;
        if (!scanValue(value, error))
            return errWithUnderlier(3, error, "Object value expected for key: " + std::string(key, keyLength));
        memberStack_.emplace_back(key, keyLength, ADSJSONMember::hashKey(key, keyLength));
        memberStack_.back().setValue(value);

        skipWhitespace();
        if (c_ < end_ && *c_ == ',') {
            ++c_;
            skipWhitespace();
            if (c_ < end_ && *c_ == '}')
                return err(error, 9, "Trailing comma disallowed in object");
        }
    }
    --depth_;
    const size_t count = keepFirstOfEachKey(base);
    ADSJSONMember* members = nullptr;
    if (count > 0) {
        members = static_cast<ADSJSONMember*>(arena_->allocate(count * sizeof(ADSJSONMember), alignof(ADSJSONMember)));
        std::memcpy(static_cast<void*>(members), memberStack_.data() + base, count * sizeof(ADSJSONMember));
        memberStack_.resize(base);
    }
    out = ADSJSONValue::object(members, uint32_t(count));
    return true;
}

// A later duplicate replaces the earlier value in the earlier place. Done
// once the object is complete, so that nested objects never share the table.
size_t ADS_KVJSON::keepFirstOfEachKey(size_t base)
{
    ADSJSONMember* m = memberStack_.data() + base;
    const size_t count = memberStack_.size() - base;
    // Small objects compare hashes pairwise; an equal pair is rare enough
    // that the keys themselves are compared only then.
    constexpr size_t kPairwise = 16;
    size_t kept = 0;
    if (count <= kPairwise) {
        bool any = false;
        for (size_t i = 1; i < count && !any; ++i) {
            for (size_t j = 0; j < i; ++j)
                any |= m[i].keyHash() == m[j].keyHash();
        }
        if (!any)
            return count;
        for (size_t i = 0; i < count; ++i) {
            size_t j = 0;
            while (j < kept && !(m[j].keyHash() == m[i].keyHash() && m[j].key() == m[i].key()))
                ++j;
            if (j < kept)
                m[j].setValue(m[i].value());
            else
                m[kept++] = m[i];
        }
    } else {
        size_t slots = 64;
        while (slots < count * 2)
            slots *= 2;
        keySlots_.assign(slots, 0);
        const size_t mask = slots - 1;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t hash = m[i].keyHash();
            size_t s = hash & mask;
            for (;;) {
                const uint32_t at = keySlots_[s];
                if (at == 0) {
                    m[kept] = m[i];
                    keySlots_[s] = uint32_t(++kept);
                    break;
                }
                ADSJSONMember& earlier = m[at - 1];
                if (earlier.keyHash() == hash && earlier.key() == m[i].key()) {
                    earlier.setValue(m[i].value());
                    break;
                }
                s = (s + 1) & mask;
            }
        }
    }
    memberStack_.resize(base + kept);
    return kept;
}

// ---------------------------------------------------------------- writing

std::optional<std::string> ADS_KVJSON::stringWithObject(const Value& value, bool allowScalar, Error* error)
{
    depth_ = 0;
    if (!allowScalar && !value.isDictionary() && !value.isArray()) {
        err(error, 4, "Not valid type for JSON");
        return std::nullopt;
    }
    // The buffer starts small and doubles: the copies that costs add up to
    // less than one pass over the result, cheaper than sizing it first.
    std::string out;
    out.reserve(128);
    sortedEntries_.clear();
    Error local;
    if (!appendValue(value, out, &local)) {
        if (error)
            *error = std::move(local);
        return std::nullopt;
    }
    return out;
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
        const std::string_view text = value.decimalText();
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

bool ADS_KVJSON::appendEntry(const platform::Dictionary::Entry& entry, bool first, std::string& out, Error* error)
{
    if (!first)
        out.push_back(',');
    if (humanReadable_)
        indent(out);
    // Keys are always strings here; one that is not UTF-8 is no JSON
    // string either.
    if (!appendString(entry.first, out, error))
        return err(error, 1, "JSON object key must be string");
    if (humanReadable_)
        out.append(" : ");
    else
        out.push_back(':');
    if (!appendValue(entry.second, out, error))
        return errWithUnderlier(1, error, "Unsupported value for key " + entry.first + " in object");
    return true;
}

bool ADS_KVJSON::appendDictionary(const platform::Dictionary& dict, std::string& out, Error* error)
{
    if (depth_ >= kHardDepthLimit)
        return err(error, 7, "Nested too deep");
    out.push_back('{');
    ++depth_;
    if (!sortKeys_) {
        bool first = true;
        for (const auto& entry : dict) {
            if (!appendEntry(entry, first, out, error))
                return false;
            first = false;
        }
    } else {
        // Nested objects sort their own entries above the enclosing ones.
        const size_t base = sortedEntries_.size();
        for (const auto& entry : dict)
            sortedEntries_.push_back(&entry);
        // Byte order of UTF-8 keys, which is the order of their code points.
        std::sort(sortedEntries_.begin() + ptrdiff_t(base), sortedEntries_.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
        for (size_t i = base; i < base + dict.size(); ++i) {
            if (!appendEntry(*sortedEntries_[i], i == base, out, error))
                return false;
        }
        sortedEntries_.resize(base);
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
    const uint8_t* run = p;
    for (;;) {
        p = findStringSpecial(p, end);
        if (p == end)
            break;
        if (*p >= 0x80) {
            p = skipUtf8(p, end);
            if (!p)
                return err(error, 1, "JSON serialisation not supported for String");
            continue;
        }
        out.append(reinterpret_cast<const char*>(run), size_t(p - run));
        const uint8_t b = *p++;
        run = p;
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
    out.append(reinterpret_cast<const char*>(run), size_t(end - run));
    out.push_back('"');
    return true;
}
