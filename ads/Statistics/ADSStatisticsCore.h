#pragma once
// A small persistent key-value store of counters and other property-list
// values, kept in the settings store under "ads_stats_<identifier>". It writes
// on synchronize, and on destruction when it has changed since it last wrote.

#include "platform/Value.h"
#include <cstdint>
#include <string>
#include <string_view>

class ADSStatisticsCore {
public:
    explicit ADSStatisticsCore(std::string identifier);
    ~ADSStatisticsCore();
    ADSStatisticsCore(const ADSStatisticsCore&) = delete;
    ADSStatisticsCore& operator=(const ADSStatisticsCore&) = delete;

    // The stored value, whatever its type, or null when absent.
    const platform::Value* numberForKey(std::string_view key) const { return objectForKey(key); }
    const platform::Value* stringForKey(std::string_view key) const { return objectForKey(key); }
    const platform::Value* dateForKey(std::string_view key) const { return objectForKey(key); }
    const platform::Value* arrayForKey(std::string_view key) const { return objectForKey(key); }
    const platform::Value* dictionaryForKey(std::string_view key) const { return objectForKey(key); }
    const platform::Value* objectForKey(std::string_view key) const { return statistics_.find(key); }

    // Each stores the value only when it is of the named kind.
    void setNumber(const platform::Value& value, const std::string& key);
    void setString(const platform::Value& value, const std::string& key);
    void setDate(const platform::Value& value, const std::string& key);
    void setArray(const platform::Value& value, const std::string& key);
    void setDictionary(const platform::Value& value, const std::string& key);
    enum class Kind { Number, String, Date, Array, Dictionary };
    void setObject(const platform::Value& value, const std::string& key, Kind matchingClass);

    // Adds delta to the stored integer (0 when absent) and returns the sum.
    int64_t addValue(int32_t delta, const std::string& key);
    void removeObjectForKey(std::string_view key)
    {
        statistics_.remove(key);
        unsaved_ = true;
    }
    void removeAllObjects()
    {
        statistics_.clear();
        unsaved_ = true;
    }
    const platform::Dictionary& allValues() const { return statistics_; }

    std::string userDefaultsKey() const;
    void loadPersistentStatistics();
    void savePersistentStatistics();
    void synchronize() { savePersistentStatistics(); }
    // Puts the values into the settings store without flushing it to disk;
    // the store's next synchronize, by anyone, writes them.
    void saveWithoutFlushing();

private:
    std::string identifier_;
    platform::Dictionary statistics_;
    // Writing costs a flush of the settings file, and a store that changed
    // nothing would only put back what another store of the same identifier
    // may have written since.
    bool unsaved_ = false;
};
