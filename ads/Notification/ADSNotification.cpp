#include "Notification/ADSNotification.h"

#include "Utility/ADSNetworkUtilities.h"

#include <cstdio>

namespace {

// The scheme exactly as the URL spells it; the parsed scheme is lowercased.
std::string_view writtenScheme(const platform::Url& url)
{
    std::string_view text = url.absoluteString();
    size_t colon = text.find(':');
    return colon == std::string_view::npos ? std::string_view() : text.substr(0, colon);
}

}

bool ADSNotification::isAMSGNotificationURL(const platform::Url& url)
{
    return writtenScheme(url) == kURLNotificationScheme;
}

bool ADSNotification::isAdNetNotificationURL(const platform::Url& url)
{
    return writtenScheme(url) == kURLAdNetNotificationScheme;
}

bool ADSNotification::isNotificationURL(const platform::Url& url)
{
    return isAMSGNotificationURL(url) || isAdNetNotificationURL(url);
}

ADSNotification::ADSNotification(std::string name, std::optional<platform::Dictionary> parameters)
    : name_(std::move(name))
    , parameters_(std::move(parameters))
{
}

std::optional<ADSNotification> ADSNotification::notificationFromURL(const platform::Url& url)
{
    if (isAMSGNotificationURL(url)) {
        // "amsg:name" has no path at all, only "amsg://host/name" names a message.
        const std::string& path = url.path();
        if (path.size() < 2 || path[0] != '/')
            return std::nullopt;
        // The path is still escaped; a name is an identifier, so an escaped
        // one is taken as the page wrote it.
        std::optional<std::string> name = platform::Url::percentUnescape(std::string_view(path).substr(1));
        if (!name || name->empty())
            return std::nullopt;
        return ADSNotification(*name, ADSNetworkUtilities::dictionaryFromQueryString(url.query()));
    }
    if (isAdNetNotificationURL(url)) {
        const std::string& host = url.host();
        platform::Dictionary query = ADSNetworkUtilities::dictionaryFromQueryString(url.query());
        if (host == "launch") {
            platform::Dictionary parameters;
            parameters.set("a", "browser");
            if (const platform::Value* target = query.find("url"))
                parameters.set("u", *target);
            return ADSNotification("open", std::move(parameters));
        }
        if (host == "closecanvas")
            return ADSNotification("close", std::nullopt);
        if (host == "log")
            return ADSNotification("log", std::move(query));
        return std::nullopt;
    }
    return std::nullopt;
}

const std::string& ADSNotification::parameter(std::string_view key) const
{
    static const std::string none;
    if (!parameters_)
        return none;
    const platform::Value* v = parameters_->find(key);
    return v ? v->asString() : none;
}

std::string ADSNotification::description() const
{
    char head[64];
    std::snprintf(head, sizeof head, "ADSNotification<%p>: name:", static_cast<const void*>(this));
    return head + name_ + " parameters:" + (parameters_ ? platform::Value(*parameters_).debugDescription() : "(null)");
}
