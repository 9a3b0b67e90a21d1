#include "TolvaneViewController.h"

#include "platform/Console.h"

void TolvaneViewController::HandlePoisonSwitch()
{
    if (!picker || !switchPoison || ar_pickerData.size() < 2)
        return;
    // Poison mode shows the wheels of players 0 and 1 only, so with more
    // players it does not exist: the switch is parked off-screen, and should a
    // rotation bring it back it turns itself off again.
    if (numPlayers > 2) {
        switchPoison->setOn(false);
        return;
    }

    const int h = getHP(1);
    isPoison = switchPoison->isOn();
    labelPoison0->setHidden(!isPoison);
    labelPoison1->setHidden(!isPoison);
    picker->reloadAllComponents();
    if (isPoison)
        resetPoisonCol();
    const int max = maxOfPicker(1);
    const int min = minOfPicker(1);
    platform::Console::log(" hp " + std::to_string(h) + " " + std::to_string(max));
    setPickerSelectedRow(isPoison ? 3 : 1, h, max, min);
    picker->reloadAllComponents();
    gameDidChange(GameChange::PoisonMode);
}

void TolvaneViewController::resetPoisonCol()
{
    if (!picker)
        return;
    picker->selectRow(10, 1, false);
    picker->selectRow(10, 2, false);
}
