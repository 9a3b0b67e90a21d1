#include "Utility/ADSNetworkUtilities.h"

#include "json/ADS_KVJSON.h"

#include <charconv>
#include <cmath>

namespace {

std::string& sharedUserAgent()
{
    static std::string agent;
    return agent;
}

}

const std::string& ADSNetworkUtilities::userAgentString()
{
    return sharedUserAgent();
}

void ADSNetworkUtilities::setUserAgentString(std::string_view agent)
{
    std::string& current = sharedUserAgent();
    if (agent.empty() || agent == current)
        return;
    current.assign(agent);
}

platform::Dictionary ADSNetworkUtilities::dictionaryFromQueryString(std::string_view query)
{
    platform::Dictionary result;
    size_t pos = 0;
    while (pos < query.size()) {
        const size_t stop = query.find_first_of("&;", pos);
        const std::string_view pair = query.substr(pos, stop == std::string_view::npos ? std::string_view::npos : stop - pos);
        pos = stop == std::string_view::npos ? query.size() : stop + 1;
        if (pair.empty())
            continue; // a run of separators counts as one
        const size_t eq = pair.find('=');
        if (eq == std::string_view::npos || pair.find('=', eq + 1) != std::string_view::npos)
            continue;
        auto key = platform::Url::percentUnescape(pair.substr(0, eq));
        auto value = platform::Url::percentUnescape(pair.substr(eq + 1));
        if (!key || !value)
            continue;
        // Only ASCII letters change case: keys are parameter names, and a
        // locale-dependent lowering could make two spellings of one name differ.
        for (char& ch : *key) {
            if (ch >= 'A' && ch <= 'Z')
                ch = char(ch - 'A' + 'a');
        }
        result.set(std::move(*key), platform::Value(std::move(*value)));
    }
    return result;
}

std::optional<std::string> ADSNetworkUtilities::parameterValueForKey(std::string_view key, const platform::Url& url)
{
    const std::string_view query = url.query();
    if (query.empty())
        return std::nullopt;
    size_t pos = 0;
    for (;;) {
        const size_t stop = query.find('&', pos);
        const std::string_view pair = query.substr(pos, stop == std::string_view::npos ? std::string_view::npos : stop - pos);
        const size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == key)
            return std::string(pair.substr(eq + 1));
        if (stop == std::string_view::npos)
            return std::nullopt;
        pos = stop + 1;
    }
}

std::string ADSNetworkUtilities::textForm(const platform::Value& value)
{
    switch (value.type()) {
    case platform::Value::Type::String:
        return value.asString();
    case platform::Value::Type::Bool:
        return value.asBool() ? "1" : "0";
    case platform::Value::Type::Integer:
        return std::to_string(value.asInt64());
    case platform::Value::Type::Real: {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, value.asDouble());
        return std::string(buf, size_t(r.ptr - buf));
    }
    case platform::Value::Type::Decimal:
        return value.asDecimal().text;
    case platform::Value::Type::Null:
        return "<null>";
    default: {
        // Containers, dates and bytes have no text of their own; their JSON
        // form (dates and bytes as descriptions) is what a page can read back.
        ADS_KVJSON writer;
        return writer.stringWithFragment(value).value_or(std::string());
    }
    }
}

std::optional<platform::Url> ADSNetworkUtilities::appendQueryParameters(
    const platform::Dictionary& parameters, const platform::Url& url)
{
    if (parameters.empty())
        return url;
    std::string text = url.absoluteString();
    // A fragment belongs after the query; appending behind it would put the
    // parameters into the fragment, where no server sees them.
    std::string fragment;
    const size_t hash = text.find('#');
    if (hash != std::string::npos) {
        fragment = text.substr(hash);
        text.resize(hash);
    }
    // A URL that ends in a bare "?" already has its separator; a second "?"
    // would make the first key "?key", which no server reads as "key".
    const char* separator = !url.query().empty() ? "&" : (!text.empty() && text.back() == '?') ? "" : "?";
    for (const auto& [key, value] : parameters) {
        text.append(separator);
        separator = "&";
        text.append(key);
        const std::string encoded = encodeURL(textForm(value));
        if (!encoded.empty()) {
            text.push_back('=');
            text.append(encoded);
        }
    }
    text.append(fragment);
    return platform::Url::fromString(text);
}

std::optional<platform::Url> ADSNetworkUtilities::appendQueryKey(
    std::string_view key, const std::optional<std::string>& value, const platform::Url& url)
{
    platform::Dictionary one;
    one.set(std::string(key), platform::Value(value.value_or(std::string())));
    return appendQueryParameters(one, url);
}

std::string ADSNetworkUtilities::encodeURL(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const uint8_t c = uint8_t(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}
