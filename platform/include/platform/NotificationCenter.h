#pragma once
// Process-wide notification centre: observers by name and sender, posts with a
// user-information dictionary, delivered synchronously on the posting thread.

#include "platform/Value.h"
#include <functional>
#include <vector>
#include <string>

namespace platform {

struct Notification {
    std::string name;
    const void* sender = nullptr; // non-owning
    Dictionary userInfo;
};

class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();
    using Handler = std::function<void(const Notification&)>;

    // `observer` is a non-owning token used only for removal. An empty name
    // matches every name; a null sender matches every sender.
    void addObserver(const void* observer, std::string name, const void* sender, Handler handler);
    // Removes every registration of the observer.
    void removeObserver(const void* observer);
    // Removes the observer's registrations for that name and sender (empty
    // name or null sender: any).
    void removeObserver(const void* observer, const std::string& name, const void* sender);
    void post(const std::string& name, const void* sender = nullptr, Dictionary userInfo = {});

private:
    struct Registration {
        const void* observer;
        std::string name;
        const void* sender;
        Handler handler;
        unsigned long long id;
    };
    std::vector<Registration> registrations_;
    unsigned long long nextId_ = 1;
};

// The application's lifecycle notifications, posted by the Application object.
inline constexpr const char* kApplicationDidFinishLaunchingNotification = "UIApplicationDidFinishLaunchingNotification";
inline constexpr const char* kApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline constexpr const char* kApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* kApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* kApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* kApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";

}
