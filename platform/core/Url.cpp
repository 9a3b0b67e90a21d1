// URL parsing after RFC 3986, strict about what it accepts: text that is
// not a URL gives no URL. Raw non-ASCII, spaces and control characters must
// arrive percent-escaped; the text of an accepted URL is kept as given.
#include "platform/Url.h"

#include "platform/Utf8.h"

#include <vector>

namespace platform {

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelim(char c)
{
    switch (c) {
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',': case ';': case '=':
        return true;
    default:
        return false;
    }
}

// Every character is unreserved, a sub-delimiter, one of `extra`, or a
// complete %XX escape.
bool validComponent(std::string_view s, std::string_view extra)
{
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '%') {
            if (i + 2 >= s.size())
                return false;
            if (!isHex(s[i + 1]) || !isHex(s[i + 2]))
                return false;
            i += 2;
            continue;
        }
        if (isUnreserved(c) || isSubDelim(c) || extra.find(c) != std::string_view::npos)
            continue;
        return false;
    }
    return true;
}

bool validIPv6(std::string_view s)
{
    if (s.empty())
        return false;
    if (s[0] == 'v' || s[0] == 'V') { // IPvFuture
        size_t dot = s.find('.');
        if (dot == std::string_view::npos || dot < 2 || dot + 1 >= s.size())
            return false;
        for (size_t i = 1; i < dot; ++i)
            if (!isHex(s[i]))
                return false;
        return validComponent(s.substr(dot + 1), ":");
    }
    int groups = 0;
    bool doubleColon = false;
    size_t i = 0;
    if (s.substr(0, 2) == "::") {
        doubleColon = true;
        i = 2;
        if (i == s.size())
            return true;
    } else if (s[0] == ':')
        return false;
    while (i < s.size()) {
        size_t start = i;
        while (i < s.size() && isHex(s[i]))
            ++i;
        size_t len = i - start;
        if (i < s.size() && s[i] == '.') {
            // A trailing dotted IPv4 part counts for two groups.
            std::string_view v4 = s.substr(start);
            int parts = 0;
            size_t j = 0;
            while (j <= v4.size()) {
                size_t k = j;
                int value = 0;
                while (k < v4.size() && isDigit(v4[k])) {
                    value = value * 10 + (v4[k] - '0');
                    if (value > 255)
                        return false;
                    ++k;
                }
                if (k == j || k - j > 3)
                    return false;
                ++parts;
                if (k == v4.size())
                    break;
                if (v4[k] != '.')
                    return false;
                j = k + 1;
            }
            if (parts != 4)
                return false;
            groups += 2;
            i = s.size();
            break;
        }
        if (len == 0 || len > 4)
            return false;
        ++groups;
        if (i == s.size())
            break;
        if (s[i] != ':')
            return false;
        ++i;
        if (i < s.size() && s[i] == ':') {
            if (doubleColon)
                return false;
            doubleColon = true;
            ++i;
            if (i == s.size())
                break;
        } else if (i == s.size())
            return false;
    }
    return doubleColon ? groups <= 7 : groups == 8;
}

struct Parts {
    std::string scheme;
    bool hasAuthority = false;
    std::string authority, path, query, fragment;
    bool hasQuery = false, hasFragment = false;
};

// Splits a reference (absolute or relative) into its five parts and checks
// the characters of each. The scheme is optional here.
bool split(std::string_view text, Parts& p)
{
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F)
            return false;
    }
    size_t colon = text.find(':');
    size_t firstDelim = text.find_first_of("/?#");
    if (colon != std::string_view::npos && (firstDelim == std::string_view::npos || colon < firstDelim) && colon > 0) {
        std::string_view scheme = text.substr(0, colon);
        bool ok = isAlpha(scheme[0]);
        for (char c : scheme)
            ok = ok && (isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.');
        if (!ok)
            return false;
        for (char c : scheme)
            p.scheme += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        text.remove_prefix(colon + 1);
    } else if (colon == 0) {
        return false;
    }
    size_t hash = text.find('#');
    if (hash != std::string_view::npos) {
        p.hasFragment = true;
        p.fragment = std::string(text.substr(hash + 1));
        text = text.substr(0, hash);
    }
    size_t q = text.find('?');
    if (q != std::string_view::npos) {
        p.hasQuery = true;
        p.query = std::string(text.substr(q + 1));
        text = text.substr(0, q);
    }
    if (text.substr(0, 2) == "//") {
        p.hasAuthority = true;
        text.remove_prefix(2);
        size_t slash = text.find('/');
        p.authority = std::string(text.substr(0, slash));
        text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    p.path = std::string(text);
    return validComponent(p.path, ":@/") && validComponent(p.query, ":@/?") && validComponent(p.fragment, ":@/?");
}

bool splitAuthority(const std::string& authority, std::string& user, std::string& host, int& port)
{
    std::string_view a = authority;
    size_t at = a.rfind('@');
    if (at != std::string_view::npos) {
        user = std::string(a.substr(0, at));
        if (!validComponent(user, ":"))
            return false;
        a.remove_prefix(at + 1);
    }
    std::string_view portText;
    bool hasPort = false;
    if (!a.empty() && a[0] == '[') {
        size_t close = a.find(']');
        if (close == std::string_view::npos)
            return false;
        std::string_view literal = a.substr(1, close - 1);
        // A zone identifier ("%25eth0") may follow the address.
        std::string_view address = literal.substr(0, literal.find("%25"));
        if (!validIPv6(address))
            return false;
        host = std::string(literal);
        a.remove_prefix(close + 1);
        if (!a.empty()) {
            if (a[0] != ':')
                return false;
            hasPort = true;
            portText = a.substr(1);
        }
    } else {
        size_t c = a.find(':');
        if (c != std::string_view::npos) {
            hasPort = true;
            portText = a.substr(c + 1);
            a = a.substr(0, c);
        }
        if (!validComponent(a, ""))
            return false;
        host = std::string(a);
    }
    port = -1;
    if (hasPort && !portText.empty()) {
        if (portText.size() > 5)
            return false;
        int v = 0;
        for (char c : portText) {
            if (!isDigit(c))
                return false;
            v = v * 10 + (c - '0');
        }
        if (v > 65535)
            return false;
        port = v;
    }
    return true;
}

std::string removeDotSegments(std::string_view path)
{
    std::vector<std::string_view> out;
    bool absolute = !path.empty() && path[0] == '/';
    bool trailingSlash = false;
    size_t i = absolute ? 1 : 0;
    while (i <= path.size()) {
        size_t slash = path.find('/', i);
        std::string_view seg = path.substr(i, slash == std::string_view::npos ? std::string_view::npos : slash - i);
        bool last = slash == std::string_view::npos;
        if (seg == ".") {
            trailingSlash = last;
        } else if (seg == "..") {
            if (!out.empty())
                out.pop_back();
            trailingSlash = last;
        } else {
            out.push_back(seg);
            trailingSlash = false;
        }
        if (last)
            break;
        i = slash + 1;
    }
    std::string result = absolute ? "/" : "";
    for (size_t k = 0; k < out.size(); ++k) {
        if (k)
            result += '/';
        result += out[k];
    }
    if (trailingSlash && !out.empty() && !out.back().empty())
        result += '/';
    return result;
}

std::string join(const Parts& p)
{
    std::string s = p.scheme + ":";
    if (p.hasAuthority)
        s += "//" + p.authority;
    s += p.path;
    if (p.hasQuery)
        s += "?" + p.query;
    if (p.hasFragment)
        s += "#" + p.fragment;
    return s;
}

}

std::optional<Url> Url::fromString(std::string_view text)
{
    Parts p;
    if (text.empty() || !split(text, p) || p.scheme.empty())
        return std::nullopt;
    Url url;
    if (p.hasAuthority && !splitAuthority(p.authority, url.user_, url.host_, url.port_))
        return std::nullopt;
    url.text_ = std::string(text);
    url.scheme_ = p.scheme;
    url.path_ = p.path;
    url.query_ = p.query;
    url.hasQuery_ = p.hasQuery;
    url.fragment_ = p.fragment;
    return url;
}

std::optional<Url> Url::fromString(std::string_view relative, const Url& base)
{
    Parts r;
    if (!split(relative, r))
        return std::nullopt;
    if (!r.scheme.empty())
        return fromString(relative);
    Parts b;
    if (!split(base.text_, b))
        return std::nullopt;
    Parts t;
    t.scheme = b.scheme;
    if (r.hasAuthority) {
        t.hasAuthority = true;
        t.authority = r.authority;
        t.path = removeDotSegments(r.path);
        t.query = r.query;
        t.hasQuery = r.hasQuery;
    } else {
        t.hasAuthority = b.hasAuthority;
        t.authority = b.authority;
        if (r.path.empty()) {
            t.path = b.path;
            t.hasQuery = r.hasQuery || b.hasQuery;
            t.query = r.hasQuery ? r.query : b.query;
        } else {
            if (r.path[0] == '/')
                t.path = removeDotSegments(r.path);
            else {
                std::string merged;
                if (b.hasAuthority && b.path.empty())
                    merged = "/" + r.path;
                else {
                    size_t slash = b.path.rfind('/');
                    merged = (slash == std::string::npos ? "" : b.path.substr(0, slash + 1)) + r.path;
                }
                t.path = removeDotSegments(merged);
            }
            t.hasQuery = r.hasQuery;
            t.query = r.query;
        }
    }
    t.hasFragment = r.hasFragment;
    t.fragment = r.fragment;
    return fromString(join(t));
}

std::string Url::percentEscape(std::string_view text, std::string_view keep)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (isUnreserved(c) || (c != '\0' && keep.find(c) != std::string_view::npos)) {
            out += c;
        } else {
            unsigned char u = static_cast<unsigned char>(c);
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

std::optional<std::string> Url::percentUnescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    auto val = [](char c) { return isDigit(c) ? c - '0' : (c >= 'a' ? c - 'a' + 10 : c - 'A' + 10); };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        if (!isHex(text[i + 1]) || !isHex(text[i + 2]))
            return std::nullopt;
        out += char(val(text[i + 1]) * 16 + val(text[i + 2]));
        i += 2;
    }
    if (!utf8::isValid(out))
        return std::nullopt;
    return out;
}

}
