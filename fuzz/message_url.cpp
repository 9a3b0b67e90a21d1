// The bridge's reading of "amsg" and "adnet" URLs, on any text a page could
// navigate to. Whatever it reads names a message of one of the two schemes,
// with string parameters only; an "amsg" message is named by its path and an
// "adnet" one by the host's fixed table; anything else reads as no message.
#include "FuzzSupport.h"
#include "Notification/ADSNotification.h"
#include "platform/Url.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<platform::Url> url = platform::Url::fromString(text);
    if (!url)
        return 0;
    std::optional<ADSNotification> message = ADSNotification::notificationFromURL(*url);
    if (!message) {
        fuzzCheck(!ADSNotification::isAdNetNotificationURL(*url) || (url->host() != "launch" && url->host() != "closecanvas" && url->host() != "log"),
            "a listed adnet host always names a message");
        return 0;
    }
    fuzzCheck(ADSNotification::isNotificationURL(*url), "only the two message schemes carry messages");
    fuzzCheck(!message->name().empty(), "a message has a name");
    if (ADSNotification::isAdNetNotificationURL(*url)) {
        const std::string& name = message->name();
        fuzzCheck(name == "open" || name == "close" || name == "log", "adnet names come from the host table");
        fuzzCheck((name == "close") == !message->parameters().has_value(), "only close comes without parameters");
    } else {
        fuzzCheck(url->path().size() >= 2 && url->path()[0] == '/', "an amsg message is named by its path");
    }
    if (message->parameters()) {
        for (const auto& [key, value] : *message->parameters())
            fuzzCheck(value.type() == platform::Value::Type::String, "parameters are texts");
    }
    (void)message->description();
    return 0;
}
