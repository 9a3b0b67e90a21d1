#include "TolvaneViewController.h"

platform::AlertView* TolvaneViewController::currentAlert() const
{
    return alert_ && alert_->isVisible() ? alert_.get() : nullptr;
}

int TolvaneViewController::conventPoisonPlayerCol(int player) const
{
    if (!isPoison)
        return player;
    return player == 1 ? 3 : 0;
}

int TolvaneViewController::getHP(int player) const
{
    if (ar_pickerData.empty() || !picker || player < 0 || player >= int(ar_pickerData.size()))
        return 0;
    const LifeColumn& column = *ar_pickerData[player];
    const int row = picker->selectedRowInComponent(conventPoisonPlayerCol(player));
    if (!column.containsRow(row))
        return 0;
    return column.valueAt(row);
}

int TolvaneViewController::getPoisonCnt(int player) const
{
    if (!isPoison || !picker)
        return -1;
    const int row = picker->selectedRowInComponent(player == 0 ? 1 : 2);
    return row < 0 ? -1 : 10 - row;
}
