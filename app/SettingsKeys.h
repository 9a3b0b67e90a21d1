#pragma once
// The one table of the eight preferences the life counter reads: their names,
// types, defaults and the ranges the counter uses. The start-up, the settings
// window, --set and the automation mode's settings command all go through it.
// It touches a store only when asked to read, apply or remove a value.

#include "platform/Value.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class UserDefaults;
}

namespace tolvane {

class SettingsKeys {
public:
    enum class Kind { Bool, Integer };
    struct Key {
        const char* name;
        Kind kind;
        platform::Value defaultValue; // what the life counter uses when the key is absent
        // Integers: the values the counter uses; a stored value outside is
        // read as the nearest end, and a player may only choose inside.
        int64_t minimum = 0;
        int64_t maximum = 0;
    };

    // In the order the life counter's start-up reads them.
    static const std::vector<Key>& all();
    static const Key* find(std::string_view name);

    // The value the counter uses: the default when the store holds nothing
    // under the key, else the store's own conversion (integers held to the
    // key's range). A name that is not in the table reads as false or 0.
    static bool boolValue(const platform::UserDefaults& store, std::string_view name);
    static int64_t integerValue(const platform::UserDefaults& store, std::string_view name);

    // Booleans: YES/NO, true/false, 1/0 (any case), stored as booleans.
    // Integers: optionally signed decimal digits within the key's range, the
    // values a player may choose. Nothing, with a reason naming that range,
    // for anything else. --set, the settings command of scripts and the
    // settings window all accept exactly these.
    static std::optional<platform::Value> parseValue(const Key& key, std::string_view text, std::string* reason = nullptr);

    // Parses "KEY=VALUE"; nothing, with a reason, for an unknown key or a bad value.
    static std::optional<std::pair<const Key*, platform::Value>> parseAssignment(std::string_view text, std::string* reason = nullptr);

    // Stores the value and writes the store to disk at once, as the system
    // settings application does, so that the next reader sees it.
    static bool apply(platform::UserDefaults& store, const Key& key, const platform::Value& value);
    static bool remove(platform::UserDefaults& store, const Key& key);
};

}
