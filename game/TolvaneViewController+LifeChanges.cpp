#include "TolvaneViewController.h"

#include "platform/Console.h"

#include <cstdint>

bool TolvaneViewController::riseSelection(int column, int component, int by, bool animated)
{
    LifeColumn& lifeColumn = *ar_pickerData[column];
    int64_t target = int64_t(picker->selectedRowInComponent(component)) - by;
    // A rise keeps ten values above the new total. A target above row 0 (a
    // restored total near the top, or a start whose first reset was
    // cancelled) needs more than one step of growth, and all of it happens
    // before the move so that the move lands on the right value.
    int64_t steps = 0;
    while (target + 10 * steps <= 9)
        ++steps;
    if (!lifeColumn.canGrowTop(10 * steps))
        return false; // the total would leave the 32-bit range: refused
    for (int64_t i = 0; i < steps; ++i)
        incPickerUpperItem(column, component);
    picker->selectRow(static_cast<int>(target + 10 * steps), component, animated);
    return true;
}

void TolvaneViewController::changeHp(const platform::Button* sender)
{
    if (!picker || ar_pickerData.size() < 2 || !sender)
        return;
    // Whatever way the change ends (refused moves included), it is one step.
    struct AfterChange {
        TolvaneViewController& controller;
        ~AfterChange() { controller.gameDidChange(GameChange::Play); }
    } afterChange { *this };

    const int p = (sender == buttonInc0.get() || sender == buttonDec0.get() || sender == buttonDec5Hp0.get()
                      || sender == buttonInc5Hp0.get())
        ? 0
        : 1;
    const int k = conventPoisonPlayerCol(p);
    LifeColumn& column = *ar_pickerData[p];
    const int s = picker->selectedRowInComponent(k);
    const int n = picker->numberOfRowsInComponent(k);

    if (sender == buttonDec0.get() || sender == buttonDec1.get()) {
        if (numPlayers >= 3) {
            // "All -1": a player already on the last row of the column sits this one out.
            const int components = picker->numberOfComponents();
            for (int i = 0; i < components && i < int(ar_pickerData.size()); ++i) {
                const int selected = picker->selectedRowInComponent(i);
                if (selected == picker->numberOfRowsInComponent(i) - 1)
                    continue;
                picker->selectRow(selected + 1, i, true);
                DoLog(i, getHP(i));
            }
            return;
        }
        if (s == n - 1)
            return;
        const int r = s + 1;
        const int h = getHP(p) - 1;
        const bool growing = r == n - 1;
        if (growing && !column.canGrowBottom(10))
            return; // the column would leave the 32-bit range: refused
        picker->selectRow(r, k, true);
        if (growing) {
            incPickerLowerItem(p, k);
            picker->selectRow(static_cast<int>(column.rowOf(h)), k, true);
        }
        DoLog(p, h);
    } else if (sender == buttonDec5Hp0.get() || sender == buttonDec5Hp1.get()) {
        platform::Console::log(" selected row " + std::to_string(s));
        if (s + 5 >= n)
            return;
        const int r = s + 5;
        const int h = getHP(p) - 5;
        if (r < n - 1) {
            picker->selectRow(r, k, false);
        } else {
            if (!incPickerLowerItem(p, k))
                return; // the column would leave the 32-bit range: refused
            picker->selectRow(static_cast<int>(column.rowOf(h)), k, false);
        }
        DoLog(p);
    } else if (sender == buttonInc5Hp0.get() || sender == buttonInc5Hp1.get()) {
        if (riseSelection(p, k, 5, false))
            DoLog(p);
    } else if (sender == buttonInc0.get() || sender == buttonInc1.get()) {
        if (numPlayers >= 3) {
            // "All +1": every player rises; there is no upper limit.
            const int components = picker->numberOfComponents();
            for (int i = 0; i < components && i < int(ar_pickerData.size()); ++i) {
                const int old = getHP(i);
                if (riseSelection(i, i, 1, true))
                    DoLog(i, old + 1);
            }
            return;
        }
        const int old = getHP(p);
        if (riseSelection(p, k, 1, true))
            DoLog(p, old + 1);
    }
}
