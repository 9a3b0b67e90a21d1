#include "SettingsKeys.h"

#include "platform/UserDefaults.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>

namespace tolvane {

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

void setReason(std::string* reason, std::string text)
{
    if (reason)
        *reason = std::move(text);
}

}

const std::vector<SettingsKeys::Key>& SettingsKeys::all()
{
    static const std::vector<Key> keys = {
        { "isLandscapeAtStart", Kind::Bool, platform::Value(false) },
        { "isDiceRepeat", Kind::Bool, platform::Value(false) },
        { "is5hp", Kind::Bool, platform::Value(true) },
        { "isAskBeforeReset", Kind::Bool, platform::Value(true) },
        { "isThrow2Dices", Kind::Bool, platform::Value(true) },
        { "isAlwaysOn", Kind::Bool, platform::Value(true) },
        // A die has at least one face; counts beyond 32 bits read as the largest that fits.
        { "diceFaceType", Kind::Integer, platform::Value(20), 1, std::numeric_limits<int32_t>::max() },
        // Two players at least (the two-player screen always exists) and twelve
        // at most, so that a stored 100000 cannot build a hundred thousand wheels.
        { "numPlayers", Kind::Integer, platform::Value(2), 2, 12 },
    };
    return keys;
}

const SettingsKeys::Key* SettingsKeys::find(std::string_view name)
{
    for (const auto& key : all())
        if (name == key.name)
            return &key;
    return nullptr;
}

bool SettingsKeys::boolValue(const platform::UserDefaults& store, std::string_view name)
{
    const Key* key = find(name);
    if (!key)
        return false;
    return store.objectForKey(key->name).isNull() ? key->defaultValue.asBool() : store.boolForKey(key->name);
}

int64_t SettingsKeys::integerValue(const platform::UserDefaults& store, std::string_view name)
{
    const Key* key = find(name);
    if (!key)
        return 0;
    if (store.objectForKey(key->name).isNull())
        return key->defaultValue.asInt64();
    return std::clamp(store.integerForKey(key->name), key->minimum, key->maximum);
}

std::optional<platform::Value> SettingsKeys::parseValue(const Key& key, std::string_view text, std::string* reason)
{
    if (key.kind == Kind::Bool) {
        std::string t = lower(text);
        if (t == "yes" || t == "true" || t == "1")
            return platform::Value(true);
        if (t == "no" || t == "false" || t == "0")
            return platform::Value(false);
        setReason(reason, std::string(key.name) + " takes YES or NO, not \"" + std::string(text) + "\"");
        return std::nullopt;
    }
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1); // from_chars takes '-' but not '+'
    int64_t v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    bool whole = !digits.empty() && ec == std::errc() && end == digits.data() + digits.size()
        && (digits.front() != '-' || text.front() != '+');
    if (!whole || v < key.minimum || v > key.maximum) {
        setReason(reason, std::string(key.name) + " takes a whole number from " + std::to_string(key.minimum) + " to "
                + std::to_string(key.maximum) + ", not \"" + std::string(text) + "\"");
        return std::nullopt;
    }
    return platform::Value(v);
}

std::optional<std::pair<const SettingsKeys::Key*, platform::Value>> SettingsKeys::parseAssignment(std::string_view text, std::string* reason)
{
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        setReason(reason, "expected KEY=VALUE, not \"" + std::string(text) + "\"");
        return std::nullopt;
    }
    std::string_view name = text.substr(0, eq);
    const Key* key = find(name);
    if (!key) {
        setReason(reason, "unknown setting \"" + std::string(name) + "\"");
        return std::nullopt;
    }
    auto value = parseValue(*key, text.substr(eq + 1), reason);
    if (!value)
        return std::nullopt;
    return std::make_pair(key, std::move(*value));
}

bool SettingsKeys::apply(platform::UserDefaults& store, const Key& key, const platform::Value& value)
{
    store.setObject(key.name, value);
    return store.synchronize();
}

bool SettingsKeys::remove(platform::UserDefaults& store, const Key& key)
{
    store.removeObject(key.name);
    return store.synchronize();
}

}
