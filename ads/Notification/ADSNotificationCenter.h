#pragma once
// The ad library's own notification centre: script messages are posted here
// by name with their web view as sender, apart from the application's
// notifications, so that a page can never raise one of those. It also calls
// into page script ("ADS_ReceiveMessage") for messages going the other way.

#include "platform/NotificationCenter.h"
#include "platform/Url.h"
#include "platform/Value.h"
#include <optional>
#include <string>

namespace platform {
class WebView;
}

inline constexpr const char* kJSReceiveMessageMethod = "ADS_ReceiveMessage";
inline constexpr const char* kURLKey = "url";
inline constexpr const char* kObjectKey = "object";

class ADSNotificationCenter : public platform::NotificationCenter {
public:
    static ADSNotificationCenter& defaultCenter();

    // Parses the URL into a message and posts it (name, sender = object,
    // user information = its parameters); nothing when it names no message.
    void postNotificationFromURL(const platform::Url& url, const void* object);
    // The same after `delay` seconds on the main run loop (0: the next turn),
    // so that observers never run inside a web view's navigation callback.
    void postNotificationFromURL(const platform::Url& url, const void* object, double delay);
    // Calls ADS_ReceiveMessage('name', <JSON of userInfo>) in the page, or
    // ADS_ReceiveMessage('name') without user information. The name goes in
    // unescaped: names are the library's own constants.
    void postJSNotification(const std::string& name, const std::optional<platform::Dictionary>& userInfo,
        platform::WebView& webView);
    static std::string jsNotificationScript(const std::string& name, const std::optional<platform::Dictionary>& userInfo);
};
