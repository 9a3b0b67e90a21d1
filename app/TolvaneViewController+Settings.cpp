#include "TolvaneViewController.h"

#include "platform/UserDefaults.h"
#include "platform/ui/Application.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {
bool readBool(const platform::UserDefaults& store, const char* key, bool fallback)
{
    return store.objectForKey(key).isNull() ? fallback : store.boolForKey(key);
}

int64_t readInteger(const platform::UserDefaults& store, const char* key, int64_t fallback)
{
    return store.objectForKey(key).isNull() ? fallback : store.integerForKey(key);
}

// Players: two at least (the two-player screen always exists) and twelve at
// most, so that a stored 100000 cannot build a hundred thousand wheels.
constexpr int64_t kMinPlayers = 2;
constexpr int64_t kMaxPlayers = 12;
}

void TolvaneViewController::readSettings()
{
    const platform::UserDefaults& store = platform::UserDefaults::standard();

    isLandscapeAtStart = readBool(store, "isLandscapeAtStart", false);
    isDiceRepeat = readBool(store, "isDiceRepeat", false);
    isShown5hp = readBool(store, "is5hp", true);
    isAskBeforeReset = readBool(store, "isAskBeforeReset", true);
    isThrow2Dices = readBool(store, "isThrow2Dices", true);
    isAlwaysOn = readBool(store, "isAlwaysOn", true);
    if (isAlwaysOn)
        platform::Application::shared().setIdleTimerDisabled(true);

    // A die has at least one face; a face count beyond 32 bits is read as the
    // largest one that fits.
    diceFaceType = static_cast<int>(
        std::clamp<int64_t>(readInteger(store, "diceFaceType", 20), 1, std::numeric_limits<int32_t>::max()));
    if (buttonDice) {
        if (isThrow2Dices) {
            buttonDice->setTitle("D" + std::to_string(diceFaceType) + " x2");
        } else {
            buttonDice->setTitle("D" + std::to_string(diceFaceType) + " Dice");
            SetButtonFontSize(8, *buttonDice);
        }
    }

    numPlayers = static_cast<int>(std::clamp<int64_t>(readInteger(store, "numPlayers", 2), kMinPlayers, kMaxPlayers));
}

void TolvaneViewController::reloadSetting()
{
    platform::UserDefaults& store = platform::UserDefaults::standard();
    store.synchronize();
    isLandscapeAtStart = readBool(store, "isLandscapeAtStart", false);
}
