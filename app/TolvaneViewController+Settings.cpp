#include "TolvaneViewController.h"

#include "SettingsKeys.h"

#include "platform/UserDefaults.h"
#include "platform/ui/Application.h"

using tolvane::SettingsKeys;

void TolvaneViewController::readSettings()
{
    const platform::UserDefaults& store = platform::UserDefaults::standard();

    isLandscapeAtStart = SettingsKeys::boolValue(store, "isLandscapeAtStart");
    isDiceRepeat = SettingsKeys::boolValue(store, "isDiceRepeat");
    isShown5hp = SettingsKeys::boolValue(store, "is5hp");
    isAskBeforeReset = SettingsKeys::boolValue(store, "isAskBeforeReset");
    isThrow2Dices = SettingsKeys::boolValue(store, "isThrow2Dices");
    isAlwaysOn = SettingsKeys::boolValue(store, "isAlwaysOn");
    if (isAlwaysOn)
        platform::Application::shared().setIdleTimerDisabled(true);

    diceFaceType = static_cast<int>(SettingsKeys::integerValue(store, "diceFaceType"));
    if (buttonDice) {
        if (isThrow2Dices) {
            buttonDice->setTitle("D" + std::to_string(diceFaceType) + " x2");
        } else {
            buttonDice->setTitle("D" + std::to_string(diceFaceType) + " Dice");
            SetButtonFontSize(8, *buttonDice);
        }
    }

    numPlayers = static_cast<int>(SettingsKeys::integerValue(store, "numPlayers"));
}

void TolvaneViewController::reloadSetting()
{
    platform::UserDefaults& store = platform::UserDefaults::standard();
    store.synchronize();
    isLandscapeAtStart = SettingsKeys::boolValue(store, "isLandscapeAtStart");
}
