#pragma once
// URL and query-string helpers of the ad library and the holder of the
// process-wide user-agent string. It sends nothing over the network itself.

#include "platform/Url.h"
#include "platform/Value.h"

#include <optional>
#include <string>
#include <string_view>

class ADSNetworkUtilities {
public:
    // Empty until the first web-view request with a "User-Agent" header.
    static const std::string& userAgentString();
    // Ignores the empty string and the current value.
    static void setUserAgentString(std::string_view agent);

    // Pairs cut at "&" or ";", split at exactly one "="; keys and values
    // unescaped as UTF-8, keys lowercased, the later of two equal keys kept.
    static platform::Dictionary dictionaryFromQueryString(std::string_view query);
    // The raw value of the first pair of the URL's query whose key is `key`.
    static std::optional<std::string> parameterValueForKey(std::string_view key, const platform::Url& url);
    // None when the built text no longer reads as a URL.
    static std::optional<platform::Url> appendQueryParameters(
        const platform::Dictionary& parameters, const platform::Url& url);
    static std::optional<platform::Url> appendQueryKey(
        std::string_view key, const std::optional<std::string>& value, const platform::Url& url);
    // Escapes every byte but ASCII letters, digits and "-._~".
    static std::string encodeURL(std::string_view text);

    // The text a value stands for in a query.
    static std::string textForm(const platform::Value& value);
};
