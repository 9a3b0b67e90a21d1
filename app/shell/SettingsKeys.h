#pragma once
// The eight preferences the life counter reads, with their types, and the
// parsing of their values from text (command line, automation scripts). It
// reads and writes no store itself beyond apply().

#include "platform/Value.h"
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
    };

    // In the order the life counter's start-up reads them.
    static const std::vector<Key>& all();
    static const Key* find(std::string_view name);

    // Booleans: YES/NO, true/false, 1/0 (any case), stored as booleans.
    // Integers: optionally signed decimal digits within the 32-bit range.
    // Nothing, with a reason, for anything else.
    static std::optional<platform::Value> parseValue(const Key& key, std::string_view text, std::string* reason = nullptr);

    // The values a player may choose on the command line or in the settings
    // window: numPlayers 2 to 12 (the counter's own limit), diceFaceType 1 and
    // up. Scripts may store anything parseValue accepts, as a damaged or
    // hand-edited store could hold it.
    static bool isPlayerChoice(const Key& key, const platform::Value& value, std::string* reason = nullptr);

    // Parses "KEY=VALUE"; nothing, with a reason, for an unknown key or a bad value.
    static std::optional<std::pair<const Key*, platform::Value>> parseAssignment(std::string_view text, std::string* reason = nullptr);

    // Stores the value and writes the store to disk at once, as the system
    // settings application does, so that the next reader sees it.
    static bool apply(platform::UserDefaults& store, const Key& key, const platform::Value& value);
    static bool remove(platform::UserDefaults& store, const Key& key);
};

}
