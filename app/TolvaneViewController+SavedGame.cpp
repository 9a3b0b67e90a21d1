#include "TolvaneViewController.h"

#include "platform/FileSystem.h"
#include "platform/IntegerText.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

#include <cstdint>
#include <limits>

namespace {
// The header and the totals are kept as texts; one without a leading number
// reads as 0, as the platform's integer conversion of a string gives.
int64_t leadingInteger(const std::string& text) { return platform::leadingInteger(text).value_or(0); }

bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}
}

std::string TolvaneViewController::dataFilePath() const
{
    return platform::FileSystem::appendPathComponent(platform::FileSystem::expandTilde(platform::Paths::documents()),
        "data.plist");
}

void TolvaneViewController::savePref()
{
    // Without a screen (before the start-up, or after the view was unloaded,
    // which saved the game itself) there are no totals to read, and writing
    // would overwrite the saved game with zeros.
    if (!picker || ar_pickerData.empty())
        return;

    platform::Array saved;
    saved.emplace_back(std::to_string(numPlayers));
    for (int i = 0; i < numPlayers && i < int(ar_nameField.size()); ++i)
        saved.emplace_back(ar_nameField[i]->text());
    for (int i = 0; i < numPlayers; ++i) {
        saved.emplace_back(std::to_string(getHP(i)));
        saved.emplace_back(std::to_string(picker->numberOfRowsInComponent(i)));
    }
    for (size_t j = 0; j < arTime.size(); ++j) {
        saved.emplace_back(arTime[j]);
        saved.emplace_back(arName[j] ? *arName[j] : std::string());
        saved.emplace_back(int64_t(arHp[j]));
    }
    // A failed write leaves the previous file whole; there is no one to tell.
    platform::PropertyList::writeFile(dataFilePath(), platform::Value(std::move(saved)));
}

void TolvaneViewController::keepDamagedSavedGame(const std::string& path)
{
    // Set aside rather than overwritten at the next save, so nothing is lost.
    platform::FileSystem::renameFile(path, path + ".damaged");
}

bool TolvaneViewController::restoreSavedGame(const platform::Array& saved)
{
    // A file that does not hold exactly what its header announces is treated
    // as unreadable as a whole: nothing of it is restored.
    if (saved.empty() || !saved[0].isString())
        return false;
    const int64_t n = leadingInteger(saved[0].asString());
    const int64_t count = int64_t(saved.size());
    if (n < 1 || n > count)
        return false;
    const int64_t logStart = 3 * n + 1;
    if (count < logStart || (count - logStart) % 3 != 0)
        return false;
    for (int64_t i = 1; i < logStart; ++i) {
        if (!saved[i].isString())
            return false;
    }
    std::vector<int64_t> totals;
    for (int64_t c = 0; c < n; ++c) {
        const int64_t h = leadingInteger(saved[2 * c + n + 1].asString());
        if (!fitsInt32(h))
            return false;
        totals.push_back(h);
    }
    for (int64_t k = logStart; k < count; k += 3) {
        if (!saved[k].isDate() || !saved[k + 1].isString() || !saved[k + 2].isInteger()
            || !fitsInt32(saved[k + 2].asInt64()))
            return false;
    }

    const bool samePlayers = n == numPlayers;
    if (samePlayers) {
        // Every total must be restorable with its margin before anything changes.
        for (int64_t c = 0; c < n; ++c) {
            LifeColumn trial = *ar_pickerData[c];
            const int64_t h = totals[c];
            if (h >= trial.max() && !trial.canGrowTop(h - trial.max() + 10))
                return false;
            if (h < trial.min() && !trial.canGrowBottom(5 - h))
                return false;
        }
    }

    for (int64_t i = 0; i < n && i < numPlayers && i < int64_t(ar_nameField.size()); ++i)
        ar_nameField[i]->setText(saved[1 + i].asString());

    if (!samePlayers) {
        Reset();
        return true;
    }

    for (int64_t k = logStart; k < count; k += 3) {
        arTime.push_back(saved[k].asDate());
        arName.push_back(std::make_shared<const std::string>(saved[k + 1].asString()));
        arHp.push_back(static_cast<int>(saved[k + 2].asInt64()));
    }
    for (const platform::Date& date : arTime)
        arTimeString.push_back(dateToString(date));

    const int components = picker->numberOfComponents();
    for (int c = 0; c < components && c < int(totals.size()); ++c) {
        const int h = static_cast<int>(totals[c]);
        const LifeColumn& column = *ar_pickerData[c];
        if (h >= column.max()) {
            AddItemToPicker(static_cast<int>(int64_t(h) - column.max() + 10), c);
            picker->selectRow(10, c, false);
        } else {
            // A further player's column ends at 1, so its totals from -5 to 0
            // get the same extension as totals below the two-player bottom.
            if (h < column.min())
                AddItemToPickerBottom(static_cast<int>(5 - int64_t(h)), c);
            picker->selectRow(static_cast<int>(column.rowOf(h)), c, false);
        }
    }
    return true;
}

void TolvaneViewController::loadPref()
{
    const std::string path = dataFilePath();
    if (!platform::FileSystem::exists(path)) {
        DoReset();
        return;
    }
    const auto root = platform::PropertyList::readFile(path);
    const platform::Array* saved = root ? root->arrayIf() : nullptr;
    if (!saved || !restoreSavedGame(*saved)) {
        keepDamagedSavedGame(path);
        Reset();
    }
}
