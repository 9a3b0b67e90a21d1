#include "ADSConfiguration.h"

#include "platform/Console.h"
#include "platform/Url.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>

namespace {

// An override is taken only when it is an absolute http(s) URL with a host;
// anything else is reported once and the build's address stands.
std::optional<platform::Url> override(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value)
        return std::nullopt;
    std::optional<platform::Url> url = platform::Url::fromString(value);
    if (url && (url->scheme() == "http" || url->scheme() == "https") && !url->host().empty())
        return url;
    static std::mutex lock;
    static std::set<std::string> reported;
    std::lock_guard guard(lock);
    if (reported.insert(std::string(variable) + "=" + value).second)
        platform::Console::log(std::string("<Ads> Ignoring ") + variable + "=\"" + value + "\": not an http(s) URL");
    return std::nullopt;
}

// "scheme://authority" of an absolute URL: its path, query and fragment dropped.
std::string origin(const std::string& text)
{
    const size_t authority = text.find("://");
    if (authority == std::string::npos)
        return text;
    const size_t end = text.find_first_of("/?#", authority + 3);
    return end == std::string::npos ? text : text.substr(0, end);
}

}

std::string ADSConfiguration::adServerBaseURL()
{
    if (std::optional<platform::Url> url = override(kADSBaseURLVariable))
        return url->absoluteString();
    return TOLVANE_ADS_BASE_URL_DEFAULT;
}

std::string ADSConfiguration::staticServerURL()
{
    if (std::optional<platform::Url> url = override(kADSStaticURLVariable))
        return origin(url->absoluteString());
    return origin(TOLVANE_ADS_STATIC_URL_DEFAULT);
}

bool ADSConfiguration::isValidAdUnitID(std::string_view id)
{
    return id.size() == 15
        && std::all_of(id.begin(), id.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A malformed identifier is still sent: the ad server's refusal (HTTP 400)
// then says the same on the console at every load.
std::string ADSConfiguration::adUnitID()
{
    static const bool checked = [] {
        if (!isValidAdUnitID(TOLVANE_AD_UNIT_ID))
            platform::Console::log(std::string("<Ads> The ad unit identifier \"") + TOLVANE_AD_UNIT_ID
                + "\" is not 15 lowercase hexadecimal characters");
        return true;
    }();
    (void)checked;
    return TOLVANE_AD_UNIT_ID;
}
