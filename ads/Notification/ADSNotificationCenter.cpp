#include "Notification/ADSNotificationCenter.h"

#include "Notification/ADSNotification.h"
#include "Utility/ADSMacros.h"
#include "platform/RunLoop.h"
#include "platform/ui/WebView.h"

ADSNotificationCenter& ADSNotificationCenter::defaultCenter()
{
    // Kept for the process: observers may unregister while statics are torn down.
    static auto* center = new ADSNotificationCenter();
    return *center;
}

void ADSNotificationCenter::postNotificationFromURL(const platform::Url& url, const void* object)
{
    std::optional<ADSNotification> message = ADSNotification::notificationFromURL(url);
    if (!message)
        return;
    post(message->name(), object, message->parameters().value_or(platform::Dictionary()));
}

void ADSNotificationCenter::postNotificationFromURL(const platform::Url& url, const void* object, double delay)
{
    // The sender is only compared, never dereferenced, so it may be gone by then.
    platform::RunLoop::main().performAfter(delay, this, [this, url, object] { postNotificationFromURL(url, object); });
}

std::string ADSNotificationCenter::jsNotificationScript(
    const std::string& name, const std::optional<platform::Dictionary>& userInfo)
{
    std::string script = std::string(kJSReceiveMessageMethod) + "('" + name + "'";
    if (userInfo)
        script += ", " + ADSMacros::jsonify(platform::Value(*userInfo));
    return script + ");";
}

void ADSNotificationCenter::postJSNotification(const std::string& name,
    const std::optional<platform::Dictionary>& userInfo, platform::WebView& webView)
{
    webView.stringByEvaluatingJavaScriptFromString(jsNotificationScript(name, userInfo));
}
