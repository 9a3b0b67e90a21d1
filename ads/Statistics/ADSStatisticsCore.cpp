#include "Statistics/ADSStatisticsCore.h"
#include "platform/UserDefaults.h"

#include <cstdint>

ADSStatisticsCore::ADSStatisticsCore(std::string identifier)
    : identifier_(std::move(identifier))
{
    loadPersistentStatistics();
}

ADSStatisticsCore::~ADSStatisticsCore()
{
    if (unsaved_)
        savePersistentStatistics();
}

void ADSStatisticsCore::setObject(const platform::Value& value, const std::string& key, Kind matchingClass)
{
    bool matches = false;
    switch (matchingClass) {
    case Kind::Number: matches = value.isNumber(); break;
    case Kind::String: matches = value.isString(); break;
    case Kind::Date: matches = value.isDate(); break;
    case Kind::Array: matches = value.isArray(); break;
    case Kind::Dictionary: matches = value.isDictionary(); break;
    }
    if (matches) {
        statistics_.set(key, value);
        unsaved_ = true;
    }
}

void ADSStatisticsCore::setNumber(const platform::Value& value, const std::string& key)
{
    setObject(value, key, Kind::Number);
}

void ADSStatisticsCore::setString(const platform::Value& value, const std::string& key)
{
    setObject(value, key, Kind::String);
}

void ADSStatisticsCore::setDate(const platform::Value& value, const std::string& key)
{
    setObject(value, key, Kind::Date);
}

void ADSStatisticsCore::setArray(const platform::Value& value, const std::string& key)
{
    setObject(value, key, Kind::Array);
}

void ADSStatisticsCore::setDictionary(const platform::Value& value, const std::string& key)
{
    setObject(value, key, Kind::Dictionary);
}

int64_t ADSStatisticsCore::addValue(int32_t delta, const std::string& key)
{
    const platform::Value* current = statistics_.find(key);
    // A count stored at the end of the range (a damaged or edited store)
    // stays there rather than wrapping round to the other end.
    int64_t sum = 0;
    if (__builtin_add_overflow(current ? current->asInt64() : 0, int64_t(delta), &sum))
        sum = delta > 0 ? INT64_MAX : INT64_MIN;
    statistics_.set(key, platform::Value(sum));
    unsaved_ = true;
    return sum;
}

std::string ADSStatisticsCore::userDefaultsKey() const
{
    return "ads_stats_" + identifier_;
}

void ADSStatisticsCore::loadPersistentStatistics()
{
    platform::Dictionary stored = platform::UserDefaults::standard().dictionaryForKey(userDefaultsKey());
    for (const auto& [key, value] : stored)
        statistics_.set(key, value);
}

void ADSStatisticsCore::savePersistentStatistics()
{
    saveWithoutFlushing();
    platform::UserDefaults::standard().synchronize();
}

void ADSStatisticsCore::saveWithoutFlushing()
{
    platform::UserDefaults::standard().setObject(userDefaultsKey(), platform::Value(statistics_));
    unsaved_ = false;
}
