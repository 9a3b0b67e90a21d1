#include "TolvaneViewController.h"

#include "platform/ui/Controls.h"

namespace {
// The column a component shows: a life column index, or -1 for a poison wheel
// (and for a component that does not exist).
int lifeColumnOfComponent(bool poison, int component, int players)
{
    if (poison)
        return component == 0 ? 0 : component == 3 ? 1 : -1;
    return component >= 0 && component < players ? component : -1;
}
}

int TolvaneViewController::numberOfComponentsInPickerView(platform::PickerView&)
{
    if (isPoison)
        return 4;
    return int(ar_pickerData.size());
}

int TolvaneViewController::numberOfRowsInComponent(platform::PickerView&, int component)
{
    if (isPoison && (component == 1 || component == 2))
        return 11;
    const int column = lifeColumnOfComponent(isPoison, component, int(ar_pickerData.size()));
    return column < 0 ? 0 : ar_pickerData[column]->size();
}

std::string TolvaneViewController::titleForRow(platform::PickerView&, int row, int component)
{
    if (isPoison && (component == 1 || component == 2)) {
        const auto& poison = ar_poisonData[component - 1];
        return row >= 0 && row < int(poison.size()) ? poison[row] : std::string();
    }
    const int column = lifeColumnOfComponent(isPoison, component, int(ar_pickerData.size()));
    return column < 0 ? std::string() : (*ar_pickerData[column])[row];
}

std::unique_ptr<platform::View> TolvaneViewController::viewForRow(platform::PickerView& pickerView, int row,
    int component, platform::View*)
{
    auto label = std::make_unique<platform::Label>(platform::Rect { 0, 0, 100, 44 });
    label->setText(titleForRow(pickerView, row, component));
    label->setTextAlignment(platform::TextAlignment::Center);
    label->setTextColor(platform::Color::black());
    label->setFont(platform::Font::boldSystemFont(45));
    label->setBackgroundColor(platform::Color::clear());
    label->setOpaque(false);
    return label;
}

void TolvaneViewController::didSelectRow(platform::PickerView&, int row, int component)
{
    struct AfterChange {
        TolvaneViewController& controller;
        ~AfterChange() { controller.gameDidChange(GameChange::Play); }
    } afterChange { *this };
    int column;
    if (isPoison) {
        if (component == 1) {
            DoPosionCounterLog(0);
            return;
        }
        if (component == 2) {
            DoPosionCounterLog(1);
            return;
        }
        if (component == 0)
            column = 0;
        else if (component == 3)
            column = 1;
        else
            return;
    } else {
        if (component < 0 || component >= int(ar_pickerData.size()))
            return;
        column = component;
    }

    // Keep ten values above and three below a wheel at rest. A column already
    // at the edge of the 32-bit range simply does not grow.
    if (row <= 9)
        incPickerUpperItem(column, component);
    else if (row >= picker->numberOfRowsInComponent(component) - 3)
        incPickerLowerItem(column, component);
    DoLog(column);
}

bool TolvaneViewController::AddItemToPicker(int count, int column, int component)
{
    if (column < 0 || column >= int(ar_pickerData.size()) || !ar_pickerData[column]->growTop(count))
        return false;
    if (picker)
        picker->reloadComponent(component);
    return true;
}

bool TolvaneViewController::AddItemToPicker(int count, int column)
{
    return AddItemToPicker(count, column, column);
}

bool TolvaneViewController::AddItemToPickerBottom(int count, int column, int component)
{
    if (column < 0 || column >= int(ar_pickerData.size()) || !ar_pickerData[column]->growBottom(count))
        return false;
    if (picker)
        picker->reloadComponent(component);
    return true;
}

bool TolvaneViewController::AddItemToPickerBottom(int count, int column)
{
    return AddItemToPickerBottom(count, column, column);
}

bool TolvaneViewController::incPickerUpperItem(int column, int component)
{
    if (!picker)
        return false;
    const int selected = picker->selectedRowInComponent(component);
    if (!AddItemToPicker(10, column, component))
        return false;
    picker->selectRow(selected + 10, component, false);
    return true;
}

bool TolvaneViewController::incPickerUpperItem(int column)
{
    return incPickerUpperItem(column, column);
}

bool TolvaneViewController::incPickerLowerItem(int column, int component)
{
    return AddItemToPickerBottom(10, column, component);
}

bool TolvaneViewController::incPickerLowerItem(int column)
{
    return incPickerLowerItem(column, column);
}

int TolvaneViewController::maxOfPicker(int column) const
{
    if (column < 0 || column >= int(ar_pickerData.size()))
        return 0;
    return ar_pickerData[column]->max();
}

int TolvaneViewController::minOfPicker(int column) const
{
    if (column < 0 || column >= int(ar_pickerData.size()))
        return 0;
    return ar_pickerData[column]->min();
}

void TolvaneViewController::setPickerSelectedRow(int component, int hp, int maxHp, int minHp)
{
    const int column = lifeColumnOfComponent(isPoison, component, int(ar_pickerData.size()));
    if (column < 0 || !picker)
        return;
    const int64_t h = hp;
    if (h >= maxHp) {
        // Leaves ten values above the total. A column that cannot grow that far
        // shows the total at whatever row holds it.
        if (AddItemToPicker(static_cast<int>(h - maxHp + 10), column, component)) {
            picker->selectRow(10, component, false);
            return;
        }
    } else if (h < minHp) {
        AddItemToPickerBottom(static_cast<int>(int64_t(minHp) - h + 10), column, component);
    }
    const int64_t row = ar_pickerData[column]->rowOf(h);
    if (ar_pickerData[column]->containsRow(row))
        picker->selectRow(static_cast<int>(row), component, false);
}

void TolvaneViewController::setPickerSelectedRow(int component, int hp)
{
    setPickerSelectedRow(component, hp, 30, -5);
}
