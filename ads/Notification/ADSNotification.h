#pragma once
// A message from ad script to native code, read from an "amsg" or "adnet"
// URL: a name and its string parameters. It only parses; handling the
// message is the web-view delegates' and the notification centre's job.

#include "platform/Url.h"
#include "platform/Value.h"
#include <optional>
#include <string>

inline constexpr const char* kURLNotificationScheme = "amsg";
inline constexpr const char* kURLAdNetNotificationScheme = "adnet";

class ADSNotification {
public:
    // The scheme as written, compared exactly: "AMSG:" is not a message URL.
    static bool isAMSGNotificationURL(const platform::Url& url);
    static bool isAdNetNotificationURL(const platform::Url& url);
    static bool isNotificationURL(const platform::Url& url);
    // None for a URL that names no message: another scheme, an "amsg" URL
    // without a path, an "adnet" URL of an unknown host.
    static std::optional<ADSNotification> notificationFromURL(const platform::Url& url);

    ADSNotification(std::string name, std::optional<platform::Dictionary> parameters);

    const std::string& name() const { return name_; }
    const std::optional<platform::Dictionary>& parameters() const { return parameters_; }
    // A parameter's text, "" when absent.
    const std::string& parameter(std::string_view key) const;
    std::string description() const;

private:
    std::string name_;
    std::optional<platform::Dictionary> parameters_;
};
