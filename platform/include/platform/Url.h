#pragma once
// URLs: parsing into parts, absolute text, percent escaping as UTF-8.
// Making a URL from text that is not one gives no URL rather than a broken one.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Url {
public:
    static std::optional<Url> fromString(std::string_view text);
    // Resolves `relative` against `base` (RFC 3986).
    static std::optional<Url> fromString(std::string_view relative, const Url& base);

    const std::string& absoluteString() const { return text_; }
    const std::string& scheme() const { return scheme_; } // lower case
    const std::string& host() const { return host_; }
    int port() const { return port_; } // -1 when absent
    const std::string& path() const { return path_; } // still percent-escaped
    const std::string& query() const { return query_; } // without '?', "" when absent
    bool hasQuery() const { return hasQuery_; }
    const std::string& fragment() const { return fragment_; }
    const std::string& user() const { return user_; }
    bool isFileUrl() const { return scheme_ == "file"; }

    bool operator==(const Url& o) const { return text_ == o.text_; }

    // Escapes every byte outside the unreserved set and `keep`.
    static std::string percentEscape(std::string_view text, std::string_view keep = "");
    // Unescapes %XX sequences; nothing when a sequence is broken or the
    // result is not valid UTF-8.
    static std::optional<std::string> percentUnescape(std::string_view text);

private:
    std::string text_, scheme_, user_, host_, path_, query_, fragment_;
    int port_ = -1;
    bool hasQuery_ = false;
};

}
