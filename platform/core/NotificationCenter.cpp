// Notification centre: synchronous delivery that tolerates observers being
// added or removed by the handlers it is running.
#include "platform/NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, std::string name, const void* sender, Handler handler)
{
    if (!handler)
        return;
    registrations_.push_back({ observer, std::move(name), sender, std::move(handler), nextId_++ });
}

void NotificationCenter::removeObserver(const void* observer)
{
    std::erase_if(registrations_, [&](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const std::string& name, const void* sender)
{
    std::erase_if(registrations_, [&](const Registration& r) {
        return r.observer == observer && (name.empty() || r.name == name) && (!sender || r.sender == sender);
    });
}

// The matching handlers are copied before any runs: a handler may remove
// itself or others, or add observers, without disturbing this post. One
// removed before its turn is skipped; one added during the post waits for
// the next post.
void NotificationCenter::post(const std::string& name, const void* sender, Dictionary userInfo)
{
    std::vector<std::pair<unsigned long long, Handler>> due;
    for (const auto& r : registrations_)
        if ((r.name.empty() || r.name == name) && (!r.sender || r.sender == sender))
            due.emplace_back(r.id, r.handler);
    if (due.empty())
        return;
    const Notification note { name, sender, std::move(userInfo) };
    for (auto& [id, handler] : due) {
        bool stillRegistered = std::any_of(registrations_.begin(), registrations_.end(),
            [id = id](const Registration& r) { return r.id == id; });
        if (stillRegistered)
            handler(note);
    }
}

}
