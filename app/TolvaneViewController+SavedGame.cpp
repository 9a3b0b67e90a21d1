#include "TolvaneViewController.h"

#include "NoticeStrip.h"
#include "platform/Checksum.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/IntegerText.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

namespace {
// The header and the totals are kept as texts; one without a leading number
// reads as 0, as the platform's integer conversion of a string gives.
int64_t leadingInteger(const std::string& text) { return platform::leadingInteger(text).value_or(0); }

bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// The rows a restored total's column gains above and below it: ten values
// above a total at or over its top and some below one under its bottom, or as
// many of them as the 32-bit range leaves. A wheel stops growing at the edge
// of that range in play, so a total saved there has less than the full margin
// and is still sound. Nothing when the column cannot hold the total at all.
struct RestoreGrowth {
    int64_t top = 0;
    int64_t bottom = 0;
};

std::optional<RestoreGrowth> restoreGrowth(const LifeColumn& column, int64_t total)
{
    RestoreGrowth growth;
    if (total >= column.max()) {
        const int64_t needed = total - column.max();
        int64_t count = needed + 10;
        while (count > needed && !column.canGrowTop(count))
            --count;
        if (!column.canGrowTop(count))
            return std::nullopt;
        growth.top = count;
    } else if (total < column.min()) {
        const int64_t needed = int64_t(column.min()) - total;
        int64_t count = std::max(needed, 5 - total);
        while (count > needed && !column.canGrowBottom(count))
            --count;
        if (!column.canGrowBottom(count))
            return std::nullopt;
        growth.bottom = count;
    }
    return growth;
}

// The file ends with a comment holding the CRC-32 of everything before it.
// Any reader of property lists skips the comment; this one uses it to tell a
// damaged game (a flipped bit, a cut-off write by some other program) from a
// sound one even when the damage still reads as a property list. Files
// without it (older ones, or written by hand) are taken as they are.
constexpr std::string_view kDigestOpen = "<!-- crc32 ";
constexpr std::string_view kDigestClose = " -->\n";

std::string withDigest(std::string text)
{
    char digest[16];
    std::snprintf(digest, sizeof digest, "%08x", platform::Checksum::crc32(text));
    text += kDigestOpen;
    text += digest;
    text += kDigestClose;
    return text;
}

// Empty when the text carries no digest or a matching one; else the reason.
std::optional<std::string> digestMismatch(std::string_view text)
{
    const size_t length = kDigestOpen.size() + 8 + kDigestClose.size();
    if (text.size() < length || text.substr(text.size() - kDigestClose.size()) != kDigestClose
        || text.substr(text.size() - length, kDigestOpen.size()) != kDigestOpen)
        return std::nullopt;
    const std::string_view hex = text.substr(text.size() - length + kDigestOpen.size(), 8);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08x", platform::Checksum::crc32(text.substr(0, text.size() - length)));
    if (hex == expected)
        return std::nullopt;
    return "its checksum does not match its contents";
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
    autosaveTimer_.reset();

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
    const std::string path = dataFilePath();
    const std::string folder = platform::FileSystem::deletingLastPathComponent(path);
    platform::FileSystem::createDirectories(folder);
    // The write is atomic: when it fails the previous game is still whole on
    // disk, and the player is told where and why instead of losing play unawares.
    auto written = platform::FileSystem::writeAtomically(path, withDigest(platform::PropertyList::serialize(
                                                                    platform::Value(std::move(saved)))));
    lastSaveFailed_ = !written;
    if (!written) {
        platform::Console::log("Could not save the game: " + written.error().message);
        showSaveNotice("The game could not be saved in " + folder + ": " + std::strerror(int(written.error().code)));
        return;
    }
    if (saveNotice_) {
        saveNotice_->removeFromSuperview();
        saveNotice_.reset();
    }
}

void TolvaneViewController::scheduleAutosave()
{
    // The first change after a save starts the clock; later ones ride along
    // with that write, so steady play cannot put the save off for ever.
    if (autosaveTimer_ && autosaveTimer_->isValid())
        return;
    autosaveTimer_ = platform::Timer::singleShot(kAutosaveDelay, [this](platform::Timer&) { savePref(); });
}

void TolvaneViewController::showSaveNotice(const std::string& text)
{
    // Over the banner, and no alert: it goes with the next save that succeeds.
    if (!saveNotice_) {
        saveNotice_ = tolvane::makeNoticeStrip("saveNotice", platform::Rect { 0, 0, 320, 44 }, 3);
        // A rotation keeps it across the top.
        saveNotice_->setAutoresizingMask(platform::AutoresizingFlexibleWidth);
    }
    saveNotice_->setFrame({ 0, 0, view().bounds().width, 44 });
    saveNotice_->setText(text);
    view().addSubview(*saveNotice_);
    view().bringSubviewToFront(*saveNotice_);
}

void TolvaneViewController::keepDamagedSavedGame(const std::string& path, const std::string& reason)
{
    // Set aside rather than overwritten at the next save, so nothing is lost;
    // every damaged game gets a name of its own, and only the newest few stay.
    if (auto kept = platform::FileSystem::setAsideDamagedFile(path, kDamagedSavedGamesKept))
        platform::Console::log("The saved game was damaged (" + reason + "); kept it as " + *kept);
    else
        platform::Console::log("The saved game is damaged (" + reason + ") and could not be set aside: "
            + std::strerror(errno));
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
    std::vector<RestoreGrowth> growths;
    if (samePlayers) {
        // Every total must be restorable before anything changes.
        for (int64_t c = 0; c < n; ++c) {
            const auto growth = restoreGrowth(*ar_pickerData[c], totals[c]);
            if (!growth)
                return false;
            growths.push_back(*growth);
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
        const LifeColumn& column = *ar_pickerData[c];
        // A further player's column ends at 1, so its totals from -5 to 0
        // get the same extension as totals below the two-player bottom.
        if (growths[c].top > 0)
            AddItemToPicker(static_cast<int>(growths[c].top), c);
        if (growths[c].bottom > 0)
            AddItemToPickerBottom(static_cast<int>(growths[c].bottom), c);
        picker->selectRow(static_cast<int>(column.rowOf(totals[c])), c, false);
    }
    return true;
}

void TolvaneViewController::loadPref()
{
    const std::string path = dataFilePath();
    // What a save cut short by a kill or a crash left behind.
    platform::FileSystem::removeAbandonedTemporaryFiles(path);
    if (!platform::FileSystem::exists(path)) {
        DoReset();
        return;
    }
    std::optional<std::string> damage;
    auto text = platform::FileSystem::readFile(path, kMaximumSavedGameSize);
    if (!text) {
        damage = text.error().message;
    } else if (!(damage = digestMismatch(*text))) {
        auto root = platform::PropertyList::parse(*text);
        const platform::Array* saved = root ? root->arrayIf() : nullptr;
        if (!root)
            damage = root.error().message;
        else if (!saved || !restoreSavedGame(*saved))
            damage = "it does not hold a game";
    }
    if (damage) {
        keepDamagedSavedGame(path, *damage);
        Reset();
    }
}
