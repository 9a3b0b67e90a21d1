// The XML property-list reader: a single pass over the text that builds the
// values directly, with no intermediate document tree. It is strict: no DTD
// internal subset, no entity declarations, nothing that is not well-formed.
#include "platform/PropertyList.h"

#include "Base64.h"
#include "platform/CivilTime.h"
#include "platform/Utf8.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace platform::PropertyList {

namespace {

// Deep nesting is refused before it can exhaust the stack.
constexpr int kMaxDepth = 512;

class Reader {
public:
    explicit Reader(std::string_view text) : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()) { }

    std::optional<Value> run()
    {
        if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0)
            p_ += 3;
        if (!prolog())
            return std::nullopt;
        if (!startsWith("<plist"))
            return fail("the root element is not <plist>");
        p_ += 1;
        std::string_view name;
        bool selfClosing = false;
        std::string version;
        if (!openTag(name, selfClosing, &version))
            return std::nullopt;
        if (name != "plist")
            return fail("the root element is not <plist>");
        if (!version.empty() && version != "1.0")
            return fail("unsupported property-list version " + version);
        if (selfClosing)
            return fail("the property list holds no value");
        if (!skipMisc())
            return std::nullopt;
        if (startsWith("</"))
            return fail("the property list holds no value");
        Value root;
        if (!value(root, 0))
            return std::nullopt;
        if (!skipMisc())
            return std::nullopt;
        if (!closeTag("plist"))
            return std::nullopt;
        // After the root only comments, processing instructions and spaces.
        for (;;) {
            if (!skipMisc())
                return std::nullopt;
            if (startsWith("<?")) {
                if (!skipPI())
                    return std::nullopt;
                continue;
            }
            break;
        }
        if (p_ != end_)
            return fail("unexpected content after the property list");
        return root;
    }

    const std::string& error() const { return error_; }

private:
    const char* begin_;
    const char* p_;
    const char* end_;
    std::string error_;
    std::string scratch_;

    std::nullopt_t fail(const std::string& message)
    {
        if (error_.empty()) {
            long line = 1 + std::count(begin_, std::min(p_, end_), '\n');
            error_ = message + " (line " + std::to_string(line) + ")";
        }
        return std::nullopt;
    }

    bool startsWith(std::string_view s) const
    {
        return size_t(end_ - p_) >= s.size() && std::memcmp(p_, s.data(), s.size()) == 0;
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void skipSpace()
    {
        while (p_ < end_ && isSpace(*p_))
            ++p_;
    }

    bool skipComment()
    {
        const char* close = findSeq(p_ + 4, "-->");
        if (!close) {
            fail("unterminated comment");
            return false;
        }
        p_ = close + 3;
        return true;
    }

    const char* findSeq(const char* from, std::string_view seq) const
    {
        if (from > end_)
            return nullptr;
        auto it = std::search(from, end_, seq.begin(), seq.end());
        return it == end_ ? nullptr : it;
    }

    bool skipPI()
    {
        if (startsWith("<?xml") && (end_ - p_ > 5 && (isSpace(p_[5]) || p_[5] == '?'))) {
            if (p_ != begin_ && !(p_ == begin_ + 3 && std::memcmp(begin_, "\xEF\xBB\xBF", 3) == 0)) {
                fail("misplaced XML declaration");
                return false;
            }
            return xmlDeclaration();
        }
        const char* close = findSeq(p_ + 2, "?>");
        if (!close) {
            fail("unterminated processing instruction");
            return false;
        }
        p_ = close + 2;
        return true;
    }

    // <?xml version="1.x" encoding="UTF-8" standalone="yes|no"?>, in that
    // order, the last two optional. A declaration that says anything else
    // (a misspelt name, another encoding) belongs to some other kind of file.
    bool xmlDeclaration()
    {
        p_ += 5;
        const char* close = findSeq(p_, "?>");
        if (!close) {
            fail("unterminated XML declaration");
            return false;
        }
        static constexpr std::string_view kNames[] = { "version", "encoding", "standalone" };
        size_t next = 0;
        for (;;) {
            const bool hadSpace = p_ < close && isSpace(*p_);
            skipSpace();
            if (p_ == close)
                break;
            std::string_view attr;
            if (!hadSpace || !name(attr))
                return fail("malformed XML declaration"), false;
            while (next < std::size(kNames) && kNames[next] != attr)
                ++next;
            if (next == std::size(kNames) || (next > 0 && attr == "version"))
                return fail("malformed XML declaration"), false;
            skipSpace();
            if (p_ >= close || *p_ != '=')
                return fail("malformed XML declaration"), false;
            ++p_;
            skipSpace();
            std::string_view literal;
            if (!quoted(literal) || p_ > close)
                return fail("malformed XML declaration"), false;
            if (!declarationValueAccepted(attr, literal))
                return fail("unsupported XML declaration " + std::string(attr) + "=\"" + std::string(literal) + "\""), false;
            ++next;
        }
        if (next == 0)
            return fail("the XML declaration has no version"), false;
        p_ = close + 2;
        return true;
    }

    static bool declarationValueAccepted(std::string_view attr, std::string_view value)
    {
        if (attr == "version")
            return value.size() >= 3 && value.substr(0, 2) == "1." && std::all_of(value.begin() + 2, value.end(),
                [](char c) { return c >= '0' && c <= '9'; });
        if (attr == "encoding") {
            std::string lower(value);
            for (char& c : lower)
                c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
            return lower == "utf-8";
        }
        return value == "yes" || value == "no";
    }

    // Spaces and comments; anything else stops it.
    bool skipMisc()
    {
        for (;;) {
            skipSpace();
            if (startsWith("<!--")) {
                if (!skipComment())
                    return false;
                continue;
            }
            return true;
        }
    }

    bool prolog()
    {
        bool sawDoctype = false;
        for (;;) {
            if (!skipMisc())
                return false;
            if (startsWith("<?")) {
                if (!skipPI())
                    return false;
                continue;
            }
            if (startsWith("<!ENTITY")) {
                fail("entity declarations are not accepted");
                return false;
            }
            if (startsWith("<!DOCTYPE")) {
                if (sawDoctype) {
                    fail("more than one document type declaration");
                    return false;
                }
                sawDoctype = true;
                if (!doctype())
                    return false;
                continue;
            }
            if (p_ == end_) {
                fail("no property list found");
                return false;
            }
            return true;
        }
    }

    bool quoted(std::string_view& out)
    {
        if (p_ >= end_ || (*p_ != '"' && *p_ != '\'')) {
            fail("expected a quoted literal");
            return false;
        }
        char q = *p_++;
        const char* start = p_;
        while (p_ < end_ && *p_ != q)
            ++p_;
        if (p_ >= end_) {
            fail("unterminated literal");
            return false;
        }
        out = std::string_view(start, size_t(p_ - start));
        ++p_;
        return true;
    }

    // Only the property-list document type is accepted: <!DOCTYPE plist>, or
    // with Apple's public and system identifiers. The identifier is never
    // fetched; an internal subset (where entities would be declared) and any
    // other identifier are refused, since nothing else is a property list.
    bool doctype()
    {
        p_ += 9;
        if (p_ >= end_ || !isSpace(*p_)) {
            fail("malformed document type declaration");
            return false;
        }
        skipSpace();
        const char* nameStart = p_;
        while (p_ < end_ && !isSpace(*p_) && *p_ != '>' && *p_ != '[')
            ++p_;
        if (std::string_view(nameStart, size_t(p_ - nameStart)) != "plist") {
            fail("the document type is not plist");
            return false;
        }
        skipSpace();
        std::string_view publicId;
        std::string_view systemId;
        bool hasPublic = false;
        bool hasSystem = false;
        if (startsWith("PUBLIC") && end_ - p_ > 6 && isSpace(p_[6])) {
            p_ += 6;
            skipSpace();
            if (!quoted(publicId))
                return false;
            hasPublic = true;
            const bool spaced = p_ < end_ && isSpace(*p_);
            skipSpace();
            if (spaced && p_ < end_ && (*p_ == '"' || *p_ == '\'')) {
                if (!quoted(systemId))
                    return false;
                hasSystem = true;
            }
        } else if (startsWith("SYSTEM") && end_ - p_ > 6 && isSpace(p_[6])) {
            p_ += 6;
            skipSpace();
            if (!quoted(systemId))
                return false;
            hasSystem = true;
        }
        skipSpace();
        if (p_ < end_ && *p_ == '[') {
            fail("a document type with an internal subset is not accepted");
            return false;
        }
        if (p_ >= end_ || *p_ != '>') {
            fail("malformed document type declaration");
            return false;
        }
        static constexpr std::string_view kPublicIds[] = { "-//Apple//DTD PLIST 1.0//EN",
            "-//Apple Computer//DTD PLIST 1.0//EN" };
        static constexpr std::string_view kSystemIds[] = { "http://www.apple.com/DTDs/PropertyList-1.0.dtd",
            "https://www.apple.com/DTDs/PropertyList-1.0.dtd", "file://localhost/System/Library/DTDs/PropertyList.dtd" };
        auto known = [](std::string_view id, const auto& list) {
            return std::find(std::begin(list), std::end(list), id) != std::end(list);
        };
        if ((hasPublic && !known(publicId, kPublicIds)) || (hasSystem && !known(systemId, kSystemIds))) {
            fail("the document type names an unknown identifier");
            return false;
        }
        ++p_;
        return true;
    }

    static bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }
    static bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

    bool name(std::string_view& out)
    {
        const char* start = p_;
        if (p_ >= end_ || !isNameStart(*p_)) {
            fail("malformed tag");
            return false;
        }
        while (p_ < end_ && isNameChar(*p_))
            ++p_;
        out = std::string_view(start, size_t(p_ - start));
        return true;
    }

    // After '<': the element name, attributes, then '>' or '/>'.
    bool openTag(std::string_view& tag, bool& selfClosing, std::string* version = nullptr)
    {
        if (!name(tag))
            return false;
        for (;;) {
            bool hadSpace = p_ < end_ && isSpace(*p_);
            skipSpace();
            if (p_ >= end_) {
                fail("unterminated tag <" + std::string(tag) + ">");
                return false;
            }
            if (*p_ == '>') {
                ++p_;
                selfClosing = false;
                return true;
            }
            if (*p_ == '/') {
                if (end_ - p_ < 2 || p_[1] != '>') {
                    fail("malformed tag <" + std::string(tag) + ">");
                    return false;
                }
                p_ += 2;
                selfClosing = true;
                return true;
            }
            if (!hadSpace) {
                fail("malformed tag <" + std::string(tag) + ">");
                return false;
            }
            std::string_view attr;
            if (!name(attr))
                return false;
            skipSpace();
            if (p_ >= end_ || *p_ != '=') {
                fail("malformed attribute");
                return false;
            }
            ++p_;
            skipSpace();
            std::string_view raw;
            if (!quoted(raw))
                return false;
            if (raw.find('<') != std::string_view::npos) {
                fail("malformed attribute");
                return false;
            }
            std::string decoded;
            if (!decodeText(raw, decoded))
                return false;
            if (version && attr == "version")
                *version = decoded;
        }
    }

    bool closeTag(std::string_view expected)
    {
        if (!startsWith("</")) {
            fail("expected </" + std::string(expected) + ">");
            return false;
        }
        p_ += 2;
        std::string_view tag;
        if (!name(tag))
            return false;
        skipSpace();
        if (p_ >= end_ || *p_ != '>') {
            fail("malformed closing tag");
            return false;
        }
        ++p_;
        if (tag != expected) {
            fail("mismatched tags <" + std::string(expected) + "> and </" + std::string(tag) + ">");
            return false;
        }
        return true;
    }

    // Appends one reference (after '&') to out; p points just past ';'.
    bool reference(const char*& p, const char* end, std::string& out)
    {
        const char* semi = static_cast<const char*>(std::memchr(p, ';', size_t(std::min<ptrdiff_t>(end - p, 12))));
        if (!semi) {
            p_ = p;
            fail("malformed character reference");
            return false;
        }
        std::string_view ref(p + 1, size_t(semi - p - 1));
        if (ref == "amp")
            out += '&';
        else if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "quot")
            out += '"';
        else if (ref == "apos")
            out += '\'';
        else if (!ref.empty() && ref[0] == '#') {
            uint32_t cp = 0;
            std::string_view digits = ref.substr(1);
            int base = 10;
            if (!digits.empty() && digits[0] == 'x') {
                base = 16;
                digits.remove_prefix(1);
            }
            auto res = std::from_chars(digits.data(), digits.data() + digits.size(), cp, base);
            // Control characters are accepted as references (our writer uses
            // them so that such text survives); NUL and surrogates are not.
            if (digits.empty() || res.ec != std::errc() || res.ptr != digits.data() + digits.size() || cp == 0
                || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) {
                p_ = p;
                fail("malformed character reference");
                return false;
            }
            utf8::append(out, cp);
        } else {
            p_ = p;
            fail("unknown entity &" + std::string(ref) + ";");
            return false;
        }
        p = semi + 1;
        return true;
    }

    // Character data (no markup) into out: references resolved, line ends
    // normalised, UTF-8 and the XML character range enforced.
    bool decodeText(std::string_view raw, std::string& out)
    {
        const char* p = raw.data();
        const char* end = p + raw.size();
        while (p < end) {
            const char* run = p;
            while (p < end) {
                unsigned char c = static_cast<unsigned char>(*p);
                if (c >= 0x20 && c < 0x80 && c != '&')
                    ++p;
                else if (c == '\n' || c == '\t')
                    ++p;
                else
                    break;
            }
            out.append(run, size_t(p - run));
            if (p >= end)
                break;
            unsigned char c = static_cast<unsigned char>(*p);
            if (c == '&') {
                if (!reference(p, end, out))
                    return false;
            } else if (c == '\r') {
                out += '\n';
                ++p;
                if (p < end && *p == '\n')
                    ++p;
            } else if (c >= 0x80) {
                size_t len = utf8::sequenceLength(std::string_view(p, size_t(end - p)), 0);
                if (len == 0) {
                    p_ = p;
                    fail("text is not valid UTF-8");
                    return false;
                }
                out.append(p, len);
                p += len;
            } else {
                p_ = p;
                fail("control character in text");
                return false;
            }
        }
        return true;
    }

    // Text content up to the closing tag of `tag`, which is consumed.
    bool content(std::string_view tag, std::string& out)
    {
        out.clear();
        for (;;) {
            const char* lt = static_cast<const char*>(std::memchr(p_, '<', size_t(end_ - p_)));
            if (!lt) {
                fail("unterminated <" + std::string(tag) + ">");
                return false;
            }
            if (lt > p_) {
                std::string_view raw(p_, size_t(lt - p_));
                if (raw.find("]]>") != std::string_view::npos) {
                    fail("']]>' in text");
                    return false;
                }
                if (!decodeText(raw, out))
                    return false;
                p_ = lt;
            }
            if (startsWith("</"))
                return closeTag(tag);
            if (startsWith("<!--")) {
                if (!skipComment())
                    return false;
                continue;
            }
            if (startsWith("<![CDATA[")) {
                const char* close = findSeq(p_ + 9, "]]>");
                if (!close) {
                    fail("unterminated CDATA section");
                    return false;
                }
                std::string_view raw(p_ + 9, size_t(close - p_ - 9));
                for (char ch : raw) {
                    if (static_cast<unsigned char>(ch) < 0x20 && ch != '\n' && ch != '\t' && ch != '\r') {
                        fail("control character in text");
                        return false;
                    }
                }
                if (!utf8::isValid(raw)) {
                    fail("text is not valid UTF-8");
                    return false;
                }
                for (size_t i = 0; i < raw.size(); ++i) {
                    if (raw[i] == '\r') {
                        out += '\n';
                        if (i + 1 < raw.size() && raw[i + 1] == '\n')
                            ++i;
                    } else
                        out += raw[i];
                }
                p_ = close + 3;
                continue;
            }
            fail("unexpected element inside <" + std::string(tag) + ">");
            return false;
        }
    }

    static std::string_view trim(std::string_view s)
    {
        while (!s.empty() && isSpace(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && isSpace(s.back()))
            s.remove_suffix(1);
        return s;
    }

    bool integer(std::string_view text, Value& out)
    {
        std::string_view s = trim(text);
        bool neg = false;
        if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
            neg = s[0] == '-';
            s.remove_prefix(1);
        }
        int base = 10;
        if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
            base = 16;
            s.remove_prefix(2);
        }
        uint64_t magnitude = 0;
        auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
        if (s.empty() || res.ec == std::errc::invalid_argument || res.ptr != s.data() + s.size()) {
            fail("bad integer '" + std::string(text.substr(0, 40)) + "'");
            return false;
        }
        // Values outside the signed 64-bit range are refused rather than wrapped.
        const uint64_t limit = neg ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
        if (res.ec == std::errc::result_out_of_range || magnitude > limit) {
            fail("integer out of range '" + std::string(text.substr(0, 40)) + "'");
            return false;
        }
        out = Value(neg ? int64_t(0 - magnitude) : int64_t(magnitude));
        return true;
    }

    bool real(std::string_view text, Value& out)
    {
        std::string_view s = trim(text);
        std::string lower;
        for (char c : s.substr(0, 10))
            lower += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (lower == "nan") {
            out = Value(std::numeric_limits<double>::quiet_NaN());
            return true;
        }
        if (lower == "inf" || lower == "+inf" || lower == "infinity" || lower == "+infinity") {
            out = Value(std::numeric_limits<double>::infinity());
            return true;
        }
        if (lower == "-inf" || lower == "-infinity") {
            out = Value(-std::numeric_limits<double>::infinity());
            return true;
        }
        std::string_view body = s;
        if (!body.empty() && body[0] == '+')
            body.remove_prefix(1);
        double d = 0;
        auto res = std::from_chars(body.data(), body.data() + body.size(), d);
        if (body.empty() || res.ec != std::errc() || res.ptr != body.data() + body.size()) {
            fail("bad real '" + std::string(text.substr(0, 40)) + "'");
            return false;
        }
        out = Value(d);
        return true;
    }

    bool date(std::string_view text, Value& out)
    {
        std::string_view s = trim(text);
        auto digits = [&](size_t at, size_t n, int& v) {
            v = 0;
            for (size_t i = at; i < at + n; ++i) {
                if (s[i] < '0' || s[i] > '9')
                    return false;
                v = v * 10 + (s[i] - '0');
            }
            return true;
        };
        civil::Fields f;
        int year = 0;
        bool ok = s.size() == 20 && s[4] == '-' && s[7] == '-' && s[10] == 'T' && s[13] == ':' && s[16] == ':' && s[19] == 'Z'
            && digits(0, 4, year) && digits(5, 2, f.month) && digits(8, 2, f.day) && digits(11, 2, f.hour)
            && digits(14, 2, f.minute) && digits(17, 2, f.second);
        f.year = year;
        if (!ok || f.month < 1 || f.month > 12 || f.day < 1 || f.day > civil::daysInMonth(f.year, f.month) || f.hour > 23
            || f.minute > 59 || f.second > 59) {
            fail("bad date '" + std::string(text.substr(0, 40)) + "'");
            return false;
        }
        out = Value(Date { double(civil::secondsFromFields(f)) });
        return true;
    }

    bool value(Value& out, int depth)
    {
        if (depth > kMaxDepth)
            return fail("nesting too deep"), false;
        if (p_ >= end_ || *p_ != '<')
            return fail(p_ >= end_ ? "unexpected end of the property list" : "unexpected text"), false;
        if (startsWith("<!ENTITY") || startsWith("<!DOCTYPE"))
            return fail("entity declarations are not accepted"), false;
        ++p_;
        std::string_view tag;
        bool selfClosing = false;
        if (!openTag(tag, selfClosing))
            return false;
        if (tag == "dict")
            return dict(out, selfClosing, depth);
        if (tag == "array")
            return array(out, selfClosing, depth);
        if (tag == "true" || tag == "false") {
            bool b = tag == "true";
            if (!selfClosing) {
                skipSpace();
                if (!closeTag(tag))
                    return false;
            }
            out = Value(b);
            return true;
        }
        if (tag != "string" && tag != "integer" && tag != "real" && tag != "date" && tag != "data")
            return fail("unknown element <" + std::string(tag) + ">"), false;
        std::string_view name = tag;
        if (selfClosing)
            scratch_.clear();
        else if (!content(name, scratch_))
            return false;
        if (name == "string") {
            out = Value(scratch_);
            return true;
        }
        if (name == "integer")
            return integer(scratch_, out);
        if (name == "real")
            return real(scratch_, out);
        if (name == "date")
            return date(scratch_, out);
        Bytes bytes;
        if (!base64::decode(scratch_, bytes))
            return fail("bad base64 data"), false;
        out = Value(std::move(bytes));
        return true;
    }

    bool array(Value& out, bool selfClosing, int depth)
    {
        out = Value(Array {});
        if (selfClosing)
            return true;
        Array& items = out.mutableArray();
        for (;;) {
            if (!skipMisc())
                return false;
            if (startsWith("</"))
                return closeTag("array");
            items.emplace_back();
            if (!value(items.back(), depth + 1))
                return false;
        }
    }

    bool dict(Value& out, bool selfClosing, int depth)
    {
        out = Value(Dictionary {});
        if (selfClosing)
            return true;
        Dictionary& entries = out.mutableDictionary();
        std::string key;
        for (;;) {
            if (!skipMisc())
                return false;
            if (startsWith("</"))
                return closeTag("dict");
            if (!startsWith("<key")) {
                fail("expected <key> in <dict>");
                return false;
            }
            ++p_;
            std::string_view tag;
            bool keyClosed = false;
            if (!openTag(tag, keyClosed))
                return false;
            if (tag != "key")
                return fail("expected <key> in <dict>"), false;
            if (keyClosed)
                key.clear();
            else if (!content("key", key))
                return false;
            if (!skipMisc())
                return false;
            if (startsWith("</"))
                return fail("key '" + key + "' has no value"), false;
            Value v;
            if (!value(v, depth + 1))
                return false;
            // A repeated key replaces the earlier value, keeping its place.
            entries.set(key, std::move(v));
        }
    }
};

}

Result<Value> parse(std::string_view xml)
{
    Reader reader(xml);
    auto result = reader.run();
    if (!result)
        return Error(kErrorDomain, ErrorNotAPropertyList, reader.error().empty() ? "not a property list" : reader.error());
    return std::move(*result);
}

Result<Value> readFile(const std::string& path)
{
    auto text = FileSystem::readFile(path);
    if (!text)
        return text.error();
    return parse(*text);
}

}
