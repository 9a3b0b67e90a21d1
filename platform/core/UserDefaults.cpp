// The settings store: a property-list file of the application's own values,
// over a registration domain of defaults that is never written.
#include "platform/UserDefaults.h"

#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"
#include "platform/IntegerText.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace platform {

namespace {

std::string_view skipSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    return s;
}


bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = char(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// One language tag from a locale name: "en_US.UTF-8" -> "en-US".
std::string languageTag(std::string_view locale, bool keepRegion)
{
    size_t cut = locale.find_first_of(".@");
    if (cut != std::string_view::npos)
        locale = locale.substr(0, cut);
    if (locale.empty() || locale == "C" || locale == "POSIX")
        return "en";
    std::string tag(locale);
    size_t underscore = tag.find('_');
    if (underscore != std::string::npos) {
        if (keepRegion)
            tag[underscore] = '-';
        else
            tag.resize(underscore);
    }
    return tag;
}

// The system's preferred languages. LANGUAGE is the user's ordered list and
// its entries keep their region ("pt_PT" -> "pt-PT"), as a deliberate choice
// of variant; the locale variables name only a language ("en_US" -> "en").
Array preferredLanguages()
{
    Array out;
    auto add = [&](std::string tag) {
        for (const auto& v : out)
            if (v.asString() == tag)
                return;
        out.emplace_back(std::move(tag));
    };
    if (const char* list = std::getenv("LANGUAGE"); list && *list) {
        std::string_view s = list;
        while (!s.empty()) {
            size_t colon = s.find(':');
            std::string_view item = s.substr(0, colon);
            if (!item.empty())
                add(languageTag(item, true));
            if (colon == std::string_view::npos)
                break;
            s.remove_prefix(colon + 1);
        }
    }
    if (out.empty()) {
        for (const char* var : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
            if (const char* v = std::getenv(var); v && *v) {
                add(languageTag(v, false));
                break;
            }
        }
    }
    if (out.empty())
        out.emplace_back("en");
    return out;
}

}

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults(FileSystem::appendPathComponent(Paths::preferences(), Bundle::identifier() + ".plist"));
    return defaults;
}

UserDefaults::UserDefaults(std::string filePath) : path_(std::move(filePath))
{
    registered_.set("AppleLanguages", Value(preferredLanguages()));
    FileSystem::removeAbandonedTemporaryFiles(path_);
    load();
}

// A missing file reads as an empty store. A damaged one (unreadable, not a
// property list, not a dictionary, absurdly large) keeps every entry that can
// still be read whole; the others fall back to their defaults. The damaged
// file is set aside for whoever wants to look at it, and what was recovered
// is written back at once, so that the next start finds a sound store.
// A file that is there but cannot be read for now (a permission, a passing
// error) is not damaged: the store keeps what it had, and the error says so,
// because writing over that file would lose every setting in it.
Result<void> UserDefaults::load()
{
    if (!FileSystem::exists(path_)) {
        stored_.clear();
        return {};
    }
    auto text = FileSystem::readFile(path_, kMaximumFileSize);
    if (!text) {
        if (text.error().code != EFBIG)
            return text.error();
        stored_.clear();
        recoverDamagedFile({}, text.error().message);
        return {};
    }
    auto root = PropertyList::parse(*text);
    if (root && root->isDictionary()) {
        stored_ = root->asDictionary();
        return {};
    }
    stored_.clear();
    recoverDamagedFile(*text, root ? "its root is not a dictionary" : root.error().message);
    return {};
}

namespace {

// Entries of the top-level dictionary as the property-list writer lays them
// out (each "<key>" one tab in), read one by one so that damage to one entry
// costs that entry only.
Dictionary salvageEntries(std::string_view text)
{
    Dictionary out;
    constexpr std::string_view kEntry = "\n\t<key>";
    size_t at = text.find(kEntry);
    while (at != std::string_view::npos) {
        size_t next = text.find(kEntry, at + kEntry.size());
        std::string_view chunk = text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at);
        if (next == std::string_view::npos) {
            size_t close = chunk.rfind("\n</dict>");
            if (close != std::string_view::npos)
                chunk = chunk.substr(0, close);
        }
        auto entry = PropertyList::parse("<plist version=\"1.0\"><dict>" + std::string(chunk) + "\n</dict></plist>");
        if (entry && entry->isDictionary())
            for (const auto& [key, value] : entry->asDictionary())
                out.set(key, value);
        at = next;
    }
    return out;
}

}

void UserDefaults::recoverDamagedFile(const std::string& text, const std::string& reason)
{
    Dictionary recovered = salvageEntries(text);
    auto kept = FileSystem::setAsideDamagedFile(path_, kDamagedFilesKept);
    if (!kept) {
        Console::log("The settings file " + path_ + " is damaged (" + reason + ") and could not be set aside; using "
            + std::to_string(recovered.size()) + " settings recovered from it");
        stored_ = std::move(recovered);
        return;
    }
    Console::log("The settings file " + path_ + " was damaged (" + reason + "); kept it as " + *kept + " and recovered "
        + std::to_string(recovered.size()) + " settings");
    stored_ = std::move(recovered);
    if (!stored_.empty())
        PropertyList::writeFile(path_, Value(stored_));
}

Value UserDefaults::objectForKey(const std::string& key) const
{
    if (const Value* v = stored_.find(key))
        return *v;
    if (const Value* v = registered_.find(key))
        return *v;
    return {};
}

bool UserDefaults::boolForKey(const std::string& key) const
{
    Value v = objectForKey(key);
    if (v.isNumber())
        return v.asBool();
    if (const std::string* s = v.stringIf()) {
        std::string_view t = *s;
        if (equalsIgnoringCase(t, "YES") || equalsIgnoringCase(t, "true"))
            return true;
        auto n = leadingInteger(t);
        return n && *n != 0;
    }
    return false;
}

int64_t UserDefaults::integerForKey(const std::string& key) const
{
    Value v = objectForKey(key);
    if (v.isNumber())
        return v.asInt64();
    if (const std::string* s = v.stringIf())
        return leadingInteger(*s).value_or(0);
    return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const
{
    Value v = objectForKey(key);
    if (v.isNumber())
        return v.asDouble();
    if (const std::string* s = v.stringIf()) {
        std::string_view t = skipSpaces(*s);
        if (!t.empty() && t.front() == '+')
            t.remove_prefix(1);
        double d = 0;
        auto res = std::from_chars(t.data(), t.data() + t.size(), d);
        return res.ec == std::errc() ? d : 0.0;
    }
    return 0;
}

std::string UserDefaults::stringForKey(const std::string& key) const
{
    Value v = objectForKey(key);
    if (const std::string* s = v.stringIf())
        return *s;
    if (v.isBool())
        return v.asBool() ? "1" : "0";
    if (v.isInteger())
        return std::to_string(v.asInt64());
    if (v.isReal() || v.isDecimal())
        return v.asDecimal().text;
    return "";
}

Dictionary UserDefaults::dictionaryForKey(const std::string& key) const { return objectForKey(key).asDictionary(); }

void UserDefaults::setObject(const std::string& key, Value value)
{
    if (value.isNull()) {
        removeObject(key);
        return;
    }
    stored_.set(key, value);
    changes_.emplace_back(key, std::move(value));
    dirty_ = true;
}

void UserDefaults::removeObject(const std::string& key)
{
    stored_.remove(key);
    changes_.emplace_back(key, Value());
    dirty_ = true;
}

void UserDefaults::registerDefaults(const Dictionary& defaults)
{
    for (const auto& [k, v] : defaults)
        registered_.set(k, v);
}

bool UserDefaults::synchronize()
{
    if (dirty_) {
        if (auto read = load(); !read) {
            Console::log("Could not save the settings: " + read.error().message);
            return false;
        }
        for (auto& [key, value] : changes_) {
            if (value.isNull())
                stored_.remove(key);
            else
                stored_.set(key, value);
        }
        FileSystem::createDirectories(FileSystem::deletingLastPathComponent(path_));
        // A failed save keeps the changes pending for the next attempt.
        if (auto written = PropertyList::writeFile(path_, Value(stored_)); !written) {
            Console::log("Could not save the settings: " + written.error().message);
            return false;
        }
        changes_.clear();
        dirty_ = false;
    }
    load();
    return true;
}

}
