#include "Utility/ADSPrivateUtilities.h"

#include <unordered_map>

namespace {

struct Entry {
    std::shared_ptr<void> object;
    std::type_index type;
};

// Created on first use and kept for the process: private objects may still be
// looked up while statics are being torn down at exit.
std::unordered_map<const void*, Entry>& map()
{
    static auto* objects = new std::unordered_map<const void*, Entry>();
    return *objects;
}

}

void ADSPrivateUtilities::store(std::shared_ptr<void> object, std::type_index type, const void* key)
{
    if (!key)
        return;
    // The old value is released after the map is consistent again: its
    // destructor may use the map itself.
    std::shared_ptr<void> old;
    auto& objects = map();
    auto it = objects.find(key);
    if (it != objects.end()) {
        old = std::move(it->second.object);
        objects.erase(it);
    }
    if (object)
        objects.emplace(key, Entry { std::move(object), type });
}

std::shared_ptr<void> ADSPrivateUtilities::find(const void* key, std::type_index type)
{
    auto& objects = map();
    auto it = objects.find(key);
    if (it == objects.end() || it->second.type != type)
        return nullptr;
    return it->second.object;
}

void ADSPrivateUtilities::removePrivateObjectForKey(const void* key)
{
    store(nullptr, std::type_index(typeid(void)), key);
}

size_t ADSPrivateUtilities::count()
{
    return map().size();
}
