#include "Timing/ADSTimingManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

ADSTimingManager::ADSTimingManager(std::string identifier)
    : identifier_(std::move(identifier))
{
    loadPersistentTimings();
    platform::NotificationCenter::defaultCenter().addObserver(this, platform::kApplicationWillTerminateNotification,
        nullptr, [this](const platform::Notification&) { savePersistentTimings(); });
}

ADSTimingManager::~ADSTimingManager()
{
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    savePersistentTimings();
}

void ADSTimingManager::addTiming(const ADSTiming& timing)
{
    timings_.insert_or_assign(timing.category(), timing);
}

void ADSTimingManager::addTiming(const std::optional<ADSTiming>& timing)
{
    if (timing)
        addTiming(*timing);
}

ADSTiming& ADSTimingManager::addTimingWithCategory(const std::string& category)
{
    return timings_.insert_or_assign(category, ADSTiming(category)).first->second;
}

ADSTiming* ADSTimingManager::timingForCategory(std::string_view category)
{
    auto it = timings_.find(category);
    return it == timings_.end() ? nullptr : &it->second;
}

void ADSTimingManager::removeTiming(const ADSTiming& timing)
{
    removeTimingForCategory(timing.category());
}

void ADSTimingManager::removeTimingForCategory(std::string_view category)
{
    auto it = timings_.find(category);
    if (it != timings_.end())
        timings_.erase(it);
}

void ADSTimingManager::removeTimingsForCategories(const std::vector<std::string>& categories)
{
    for (const auto& c : categories)
        removeTimingForCategory(c);
}

void ADSTimingManager::removeAllTimings()
{
    timings_.clear();
}

std::vector<const ADSTiming*> ADSTimingManager::timings() const
{
    std::vector<const ADSTiming*> out;
    for (const auto& [name, t] : timings_)
        out.push_back(&t);
    return out;
}

std::vector<std::string> ADSTimingManager::categories() const
{
    std::vector<std::string> out;
    for (const auto& [name, t] : timings_)
        out.push_back(name);
    return out;
}

std::string ADSTimingManager::userDefaultsKey() const
{
    return "ads_timing_" + identifier_;
}

void ADSTimingManager::savePersistentTimings()
{
    platform::Dictionary all;
    for (const auto& [name, t] : timings_)
        all.set(name, platform::Value(t.dictionaryRepresentation()));
    platform::UserDefaults& store = platform::UserDefaults::standard();
    store.setObject(userDefaultsKey(), platform::Value(std::move(all)));
    store.synchronize();
}

void ADSTimingManager::loadPersistentTimings()
{
    platform::Dictionary stored = platform::UserDefaults::standard().dictionaryForKey(userDefaultsKey());
    for (const auto& [name, value] : stored) {
        // An entry that is not a timing's dictionary is damage; skip it.
        if (const platform::Dictionary* rep = value.dictionaryIf())
            timings_.insert_or_assign(name, ADSTiming::initWithDictionaryRepresentation(*rep));
    }
}
