// The XML property-list writer: one pass into one string, tab-indented in
// the platform's usual layout.
#include "platform/PropertyList.h"

#include "Base64.h"
#include "platform/CivilTime.h"
#include "platform/Utf8.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace platform::PropertyList {

namespace {

const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n";

inline bool needsWork(unsigned char c)
{
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\r' || c >= 0x80 || (c < 0x20 && c != '\n' && c != '\t');
}

// XML 1.0 cannot carry most control characters even as references, so they
// are written as character references that our reader accepts; a carriage
// return is written the same way so that line-end normalisation keeps it.
// Bytes that are not UTF-8 become U+FFFD: the file must stay readable, and
// a replaced byte costs less than a save that can never be read back.
void appendEscaped(std::string& out, std::string_view s)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        size_t run = i;
        while (run < n && !needsWork(static_cast<unsigned char>(s[run])))
            ++run;
        out.append(s.data() + i, run - i);
        i = run;
        if (i >= n)
            break;
        unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '&': out += "&amp;"; ++i; continue;
        case '<': out += "&lt;"; ++i; continue;
        case '>': out += "&gt;"; ++i; continue;
        case '"': out += "&quot;"; ++i; continue;
        default: break;
        }
        if (c >= 0x80) {
            i += utf8::appendSequenceOrReplacement(out, s, i);
            continue;
        }
        if (c == 0) {
            // NUL has no XML form at all; dropping it is the only way to keep
            // the document well-formed.
            ++i;
            continue;
        }
        char buf[8];
        int len = std::snprintf(buf, sizeof buf, "&#x%X;", unsigned(c));
        out.append(buf, size_t(len));
        ++i;
    }
}

void indent(std::string& out, int depth) { out.append(size_t(depth), '\t'); }

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

// Dates outside years 0000-9999 cannot be spelled in the four-digit form, so
// they are pinned to its ends.
void appendDate(std::string& out, Date date)
{
    double s = date.secondsSince1970;
    const double lo = -62167219200.0; // 0000-01-01T00:00:00Z
    const double hi = 253402300799.0; // 9999-12-31T23:59:59Z
    if (!(s >= lo))
        s = lo;
    if (s > hi)
        s = hi;
    civil::Fields f = civil::fieldsFromSeconds(s);
    char buf[32];
    int len = std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", int(f.year), f.month, f.day, f.hour, f.minute,
        f.second);
    out.append(buf, size_t(len));
}

void write(std::string& out, const Value& v, int depth)
{
    indent(out, depth);
    switch (v.type()) {
    case Value::Type::Null:
        // No property-list form exists; serialize() writes an empty string
        // and writeFile() refuses such a tree (see hasNull).
        out += "<string></string>\n";
        return;
    case Value::Type::Bool:
        out += v.asBool() ? "<true/>\n" : "<false/>\n";
        return;
    case Value::Type::Integer: {
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, v.asInt64());
        out += "<integer>";
        out.append(buf, res.ptr);
        out += "</integer>\n";
        return;
    }
    case Value::Type::Real:
        out += "<real>";
        appendReal(out, v.asDouble());
        out += "</real>\n";
        return;
    case Value::Type::Decimal: {
        // The decimal's own spelling keeps its exact value.
        const std::string text = v.asDecimal().text;
        out += "<real>";
        if (isRealText(text))
            out += text;
        else
            appendReal(out, v.asDouble());
        out += "</real>\n";
        return;
    }
    case Value::Type::String:
        out += "<string>";
        appendEscaped(out, v.asString());
        out += "</string>\n";
        return;
    case Value::Type::Date:
        out += "<date>";
        appendDate(out, v.asDate());
        out += "</date>\n";
        return;
    case Value::Type::Data: {
        const Bytes& b = v.asData();
        out += "<data>";
        base64::encode(b.data(), b.size(), out);
        out += "</data>\n";
        return;
    }
    case Value::Type::Array: {
        const Array& a = v.asArray();
        if (a.empty()) {
            out += "<array/>\n";
            return;
        }
        out += "<array>\n";
        for (const auto& item : a)
            write(out, item, depth + 1);
        indent(out, depth);
        out += "</array>\n";
        return;
    }
    case Value::Type::Dictionary: {
        const Dictionary& d = v.asDictionary();
        if (d.empty()) {
            out += "<dict/>\n";
            return;
        }
        out += "<dict>\n";
        for (const auto& [k, item] : d) {
            indent(out, depth + 1);
            out += "<key>";
            appendEscaped(out, k);
            out += "</key>\n";
            write(out, item, depth + 1);
        }
        indent(out, depth);
        out += "</dict>\n";
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
    std::string out;
    out.reserve(256);
    out += kHeader;
    write(out, root, 0);
    out += "</plist>\n";
    return out;
}

Result<void> writeFile(const std::string& path, const Value& root)
{
    if (hasNull(root))
        return Error(kErrorDomain, ErrorNullValue, "a null value cannot be stored in a property list");
    return FileSystem::writeAtomically(path, serialize(root));
}

}
