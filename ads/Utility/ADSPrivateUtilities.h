#pragma once
// The process-wide map from a public object (a banner, a full-screen
// controller) to the private object behind it. Keys are identities only and
// are never touched; the map shares ownership of each value, so that a
// private object can keep itself alive while it calls out.

#include <memory>
#include <typeindex>

class ADSPrivateUtilities {
public:
    template<typename T>
    static void setPrivateObject(std::shared_ptr<T> object, const void* key)
    {
        store(std::static_pointer_cast<void>(std::move(object)), std::type_index(typeid(T)), key);
    }
    // Null when the key has no object of that type.
    template<typename T>
    static std::shared_ptr<T> privateObjectForKey(const void* key)
    {
        return std::static_pointer_cast<T>(find(key, std::type_index(typeid(T))));
    }
    static void removePrivateObjectForKey(const void* key);
    static size_t count();

private:
    static void store(std::shared_ptr<void> object, std::type_index type, const void* key);
    static std::shared_ptr<void> find(const void* key, std::type_index type);
};
