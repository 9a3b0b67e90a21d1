// The XML property-list writer: one pass into one string, tab-indented in
// the platform's usual layout.
#include "platform/PropertyList.h"

#include "Base64.h"
#include "platform/CivilTime.h"
#include "platform/Utf8.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::PropertyList {

namespace {

const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n";

// Bytes a string can be copied with as they are; the rest are escaped,
// checked as UTF-8 or dropped.
constexpr std::array<bool, 256> makePlainTable()
{
    std::array<bool, 256> plain {};
    for (int c = 0; c < 256; ++c)
        plain[size_t(c)] = !(c == '&' || c == '<' || c == '>' || c == '"' || c == '\r' || c >= 0x80 || (c < 0x20 && c != '\n' && c != '\t'));
    return plain;
}
constexpr std::array<bool, 256> kPlain = makePlainTable();

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

inline char* putTwoDigits(char* p, int v)
{
    std::memcpy(p, kDigitPairs + 2 * v, 2);
    return p + 2;
}

template<size_t N>
inline char* put(char* p, const char (&literal)[N])
{
    std::memcpy(p, literal, N - 1);
    return p + N - 1;
}

inline char* put(char* p, std::string_view s)
{
    std::memcpy(p, s.data(), s.size());
    return p + s.size();
}

void appendReal(std::string& out, double d)
{
    if (std::isnan(d)) {
        out += "nan";
        return;
    }
    if (std::isinf(d)) {
        out += d > 0 ? "+infinity" : "-infinity";
        return;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, res.ptr);
}

bool isRealText(std::string_view s)
{
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    double d;
    auto res = std::from_chars(s.data(), s.data() + s.size(), d);
    return !s.empty() && res.ec == std::errc() && res.ptr == s.data() + s.size();
}

// The log of a saved game is tens of thousands of short elements, so the
// writer asks once per element for room enough for all of it and fills that
// through a cursor; the string grows by doubling when a guess falls short.
class Writer {
public:
    explicit Writer(size_t expectedSize)
    {
        m_out.resize(std::max<size_t>(expectedSize, 256));
        m_p = m_out.data();
        m_end = m_p + m_out.size();
    }

    void raw(std::string_view s) { m_p = put(room(s.size()), s); }
    void write(const Value& v, int depth);
    std::string finish() &&
    {
        m_out.resize(size_t(m_p - m_out.data()));
        return std::move(m_out);
    }

private:
    // The longest fixed part of a line: tags, a number or a date.
    static constexpr size_t kLineTail = 64;

    char* room(size_t n)
    {
        if (size_t(m_end - m_p) < n)
            grow(n);
        return m_p;
    }
    void grow(size_t n);
    // Room for the indentation and the line after it, with the tabs written.
    char* openLine(int depth, size_t tail);
    void element(int depth, std::string_view open, std::string_view text, std::string_view close);
    void escaped(std::string_view s);
    char* putDate(char* p, Date date);

    std::string m_out;
    char* m_p = nullptr;
    char* m_end = nullptr;
    // Entries of one log fall mostly on the same day; its spelled-out form is
    // kept for the next date.
    int64_t m_lastDay = std::numeric_limits<int64_t>::min();
    char m_lastDayText[11] {};
};

void Writer::grow(size_t n)
{
    const size_t used = size_t(m_p - m_out.data());
    m_out.resize(std::max(m_out.size() * 2, used + n));
    m_p = m_out.data() + used;
    m_end = m_out.data() + m_out.size();
}

char* Writer::openLine(int depth, size_t tail)
{
    const size_t tabs = size_t(depth);
    char* p = room(tabs + std::max<size_t>(tail, 8));
    // Eight tabs cover every usual depth in one store; the room asked for
    // above leaves space for them whatever the depth.
    if (tabs <= 8)
        std::memcpy(p, "\t\t\t\t\t\t\t\t", 8);
    else
        std::memset(p, '\t', tabs);
    return p + tabs;
}

// XML 1.0 cannot carry most control characters even as references, so they
// are written as character references that our reader accepts; a carriage
// return is written the same way so that line-end normalisation keeps it.
// Bytes that are not UTF-8 become U+FFFD: the file must stay readable, and
// a replaced byte costs less than a save that can never be read back.
void Writer::escaped(std::string_view s)
{
    size_t i = 0;
    const size_t n = s.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(s.data());
    while (i < n) {
        size_t run = i;
        while (run < n && kPlain[bytes[run]])
            ++run;
        raw(s.substr(i, run - i));
        i = run;
        if (i >= n)
            break;
        unsigned char c = bytes[i];
        switch (c) {
        case '&': raw("&amp;"); ++i; continue;
        case '<': raw("&lt;"); ++i; continue;
        case '>': raw("&gt;"); ++i; continue;
        case '"': raw("&quot;"); ++i; continue;
        default: break;
        }
        if (c >= 0x80) {
            const size_t length = utf8::sequenceLength(s, i);
            if (length == 0) {
                raw("\xEF\xBF\xBD");
                ++i;
            } else {
                raw(s.substr(i, length));
                i += length;
            }
            continue;
        }
        if (c == 0) {
            // NUL has no XML form at all; dropping it is the only way to keep
            // the document well-formed.
            ++i;
            continue;
        }
        static const char hex[] = "0123456789ABCDEF";
        char* p = put(room(8), "&#x");
        if (c >= 0x10)
            *p++ = hex[c >> 4];
        *p++ = hex[c & 0xF];
        *p++ = ';';
        m_p = p;
        ++i;
    }
}

// A text with nothing to escape goes out in one piece with its tags.
void Writer::element(int depth, std::string_view open, std::string_view text, std::string_view close)
{
    char* p = openLine(depth, open.size() + text.size() + close.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    bool plain = true;
    for (size_t i = 0; i < text.size(); ++i)
        plain &= kPlain[bytes[i]];
    p = put(p, open);
    if (plain) {
        p = put(p, text);
        m_p = put(p, close);
        return;
    }
    m_p = p;
    escaped(text);
    raw(close);
}

// Dates outside years 0000-9999 cannot be spelled in the four-digit form, so
// they are pinned to its ends. Whole seconds are taken with floor, as the
// calendar does everywhere else.
char* Writer::putDate(char* p, Date date)
{
    double s = date.secondsSince1970;
    const double lo = -62167219200.0; // 0000-01-01T00:00:00Z
    const double hi = 253402300799.0; // 9999-12-31T23:59:59Z
    if (!(s >= lo))
        s = lo;
    if (s > hi)
        s = hi;
    const int64_t whole = int64_t(std::floor(s));
    const int64_t day = whole >= 0 ? whole / 86400 : -((-whole + 86399) / 86400);
    const int rem = int(whole - day * 86400);
    if (day != m_lastDay) {
        int64_t year;
        int month, dayOfMonth;
        civil::civilFromDays(day, year, month, dayOfMonth);
        char* q = m_lastDayText;
        q = putTwoDigits(q, int(year / 100));
        q = putTwoDigits(q, int(year % 100));
        *q++ = '-';
        q = putTwoDigits(q, month);
        *q++ = '-';
        q = putTwoDigits(q, dayOfMonth);
        *q = 'T';
        m_lastDay = day;
    }
    std::memcpy(p, m_lastDayText, sizeof m_lastDayText);
    p += sizeof m_lastDayText;
    p = putTwoDigits(p, rem / 3600);
    *p++ = ':';
    p = putTwoDigits(p, rem / 60 % 60);
    *p++ = ':';
    p = putTwoDigits(p, rem % 60);
    *p++ = 'Z';
    return p;
}

void Writer::write(const Value& v, int depth)
{
    switch (v.type()) {
    case Value::Type::Null:
        // No property-list form exists; serialize() writes an empty string
        // and writeFile() refuses such a tree (see hasNull).
        m_p = put(openLine(depth, kLineTail), "<string></string>\n");
        return;
    case Value::Type::Bool:
        m_p = v.asBool() ? put(openLine(depth, kLineTail), "<true/>\n") : put(openLine(depth, kLineTail), "<false/>\n");
        return;
    case Value::Type::Integer: {
        char* p = put(openLine(depth, kLineTail), "<integer>");
        p = std::to_chars(p, p + 20, v.asInt64()).ptr;
        m_p = put(p, "</integer>\n");
        return;
    }
    case Value::Type::Real: {
        std::string text;
        appendReal(text, v.asDouble());
        element(depth, "<real>", text, "</real>\n");
        return;
    }
    case Value::Type::Decimal: {
        // The decimal's own spelling keeps its exact value.
        const std::string& decimal = v.asDecimal().text;
        std::string text;
        if (isRealText(decimal))
            text = decimal;
        else
            appendReal(text, v.asDouble());
        element(depth, "<real>", text, "</real>\n");
        return;
    }
    case Value::Type::String:
        element(depth, "<string>", v.asString(), "</string>\n");
        return;
    case Value::Type::Date: {
        char* p = put(openLine(depth, kLineTail), "<date>");
        p = putDate(p, v.asDate());
        m_p = put(p, "</date>\n");
        return;
    }
    case Value::Type::Data: {
        const Bytes& b = v.asData();
        std::string text;
        base64::encode(b.data(), b.size(), text);
        element(depth, "<data>", text, "</data>\n");
        return;
    }
    case Value::Type::Array: {
        const Array& a = v.asArray();
        if (a.empty()) {
            m_p = put(openLine(depth, kLineTail), "<array/>\n");
            return;
        }
        m_p = put(openLine(depth, kLineTail), "<array>\n");
        for (const auto& item : a)
            write(item, depth + 1);
        m_p = put(openLine(depth, kLineTail), "</array>\n");
        return;
    }
    case Value::Type::Dictionary: {
        const Dictionary& d = v.asDictionary();
        if (d.empty()) {
            m_p = put(openLine(depth, kLineTail), "<dict/>\n");
            return;
        }
        m_p = put(openLine(depth, kLineTail), "<dict>\n");
        for (const auto& [k, item] : d) {
            element(depth + 1, "<key>", k, "</key>\n");
            write(item, depth + 1);
        }
        m_p = put(openLine(depth, kLineTail), "</dict>\n");
        return;
    }
    }
}

bool hasNull(const Value& v)
{
    if (v.isNull())
        return true;
    if (const Array* a = v.arrayIf()) {
        for (const auto& item : *a)
            if (hasNull(item))
                return true;
    } else if (const Dictionary* d = v.dictionaryIf()) {
        for (const auto& [k, item] : *d)
            if (hasNull(item))
                return true;
    }
    return false;
}

}

std::string serialize(const Value& root)
{
    // Most lines of a container's children are a few dozen bytes; a guess
    // near the end size spares the copies of growing step by step.
    size_t children = 0;
    if (const Array* a = root.arrayIf())
        children = a->size();
    else if (const Dictionary* d = root.dictionaryIf())
        children = 2 * d->size();
    Writer writer(sizeof kHeader + 32 * children);
    writer.raw(std::string_view(kHeader, sizeof kHeader - 1));
    writer.write(root, 0);
    writer.raw("</plist>\n");
    return std::move(writer).finish();
}

Result<void> writeFile(const std::string& path, const Value& root)
{
    if (hasNull(root))
        return Error(kErrorDomain, ErrorNullValue, "a null value cannot be stored in a property list");
    return FileSystem::writeAtomically(path, serialize(root));
}

}
