#include "TolvaneViewController.h"

#include "platform/ui/Accessibility.h"
#include <algorithm>

GameSnapshot TolvaneViewController::snapshotGame(size_t logTailFrom) const
{
    GameSnapshot s;
    s.poison = isPoison;
    const size_t players = isPoison ? std::min<size_t>(2, ar_pickerData.size()) : ar_pickerData.size();
    for (size_t p = 0; p < players; ++p)
        s.totals.push_back(getHP(int(p)));
    if (isPoison)
        s.poisonCounts = { getPoisonCnt(0), getPoisonCnt(1) };
    const size_t length = arHp.size();
    s.logLength = length;
    s.logTailStart = std::min(logTailFrom, length ? length - 1 : 0);
    s.logTail.reserve(length - s.logTailStart);
    for (size_t k = s.logTailStart; k < length; ++k)
        s.logTail.push_back({ arTime[k], arTimeString[k], arName[k], arHp[k] });
    return s;
}

bool TolvaneViewController::restoreGame(const GameSnapshot& s)
{
    // A tail that begins past the log's end belongs to another game.
    if (!picker || s.poison != isPoison || s.logTailStart > arHp.size())
        return false;
    for (size_t p = 0; p < s.totals.size() && p < ar_pickerData.size(); ++p) {
        const int component = conventPoisonPlayerCol(int(p));
        const LifeColumn& column = *ar_pickerData[p];
        const int64_t row = column.rowOf(s.totals[p]);
        // Columns only grow, so a total the column held then it holds now.
        if (column.containsRow(row))
            picker->selectRow(static_cast<int>(row), component, false);
        else
            setPickerSelectedRow(component, s.totals[p], column.max(), column.min());
    }
    for (size_t i = 0; i < s.poisonCounts.size() && i < 2; ++i)
        if (s.poisonCounts[i] >= 0 && s.poisonCounts[i] <= 10)
            picker->selectRow(10 - s.poisonCounts[i], int(i) + 1, false);
    arTime.resize(s.logTailStart);
    arTimeString.resize(s.logTailStart);
    arName.resize(s.logTailStart);
    arHp.resize(s.logTailStart);
    for (const LogEntry& entry : s.logTail) {
        arTime.push_back(entry.time);
        arTimeString.push_back(entry.timeText);
        arName.push_back(entry.name);
        arHp.push_back(entry.value);
    }
    if (!frontViewVisible)
        RefreshLog();
    return true;
}

bool TolvaneViewController::undo()
{
    if (!undoHistory_.canUndo())
        return false;
    restoreGame(*undoHistory_.undo());
    gameDidChange(GameChange::Undo);
    return true;
}

bool TolvaneViewController::redo()
{
    if (!undoHistory_.canRedo())
        return false;
    restoreGame(*undoHistory_.redo());
    gameDidChange(GameChange::Redo);
    return true;
}

void TolvaneViewController::gameDidChange(GameChange change)
{
    switch (change) {
    case GameChange::Play:
        undoHistory_.record(snapshotGame(undoHistory_.firstChangedLogEntry()));
        break;
    case GameChange::Name:
    case GameChange::Undo:
    case GameChange::Redo:
        break; // the history already stands where the game does
    case GameChange::Reset:
    case GameChange::Swap:
    case GameChange::PoisonMode:
    case GameChange::Start:
        undoHistory_.restart(snapshotGame());
        break;
    }
    announceChanges();
    // The start-up restored the file or began afresh: nothing new to write.
    if (change != GameChange::Start)
        scheduleAutosave();
    if (onGameChanged)
        onGameChanged(change);
}

std::string TolvaneViewController::accessibilityLabelForComponent(platform::PickerView&, int component)
{
    if (isPoison && (component == 1 || component == 2))
        return "Player " + std::to_string(component) + " poison, " + std::to_string(getPoisonCnt(component - 1));
    const int player = isPoison ? (component == 3 ? 1 : 0) : component;
    return "Player " + std::to_string(player + 1) + " life, " + std::to_string(getHP(player));
}

void TolvaneViewController::announceChanges()
{
    const GameSnapshot now = snapshotGame();
    if (picker && spokenTotals_.size() == now.totals.size()) {
        for (size_t p = 0; p < now.totals.size(); ++p)
            if (now.totals[p] != spokenTotals_[p] && p < ar_nameField.size())
                platform::Accessibility::announce(*picker, ar_nameField[p]->text() + ", " + std::to_string(now.totals[p]));
        for (size_t p = 0; p < now.poisonCounts.size() && p < spokenPoison_.size(); ++p)
            if (now.poisonCounts[p] != spokenPoison_[p] && p < ar_nameField.size())
                platform::Accessibility::announce(*picker,
                    ar_nameField[p]->text() + ", poison " + std::to_string(now.poisonCounts[p]));
    }
    spokenTotals_ = now.totals;
    spokenPoison_ = now.poisonCounts;
}
