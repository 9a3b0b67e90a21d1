#pragma once
// A set of timings keyed by name, kept in the settings store under
// "ads_timing_<identifier>" and written back on termination, on synchronize
// and when destroyed. It does not start or end timings by itself.

#include "Timing/ADSTiming.h"
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ADSTimingManager {
public:
    explicit ADSTimingManager(std::string identifier);
    ~ADSTimingManager();
    ADSTimingManager(const ADSTimingManager&) = delete;
    ADSTimingManager& operator=(const ADSTimingManager&) = delete;

    // Stored under its category, replacing any timing of that name.
    void addTiming(const ADSTiming& timing);
    void addTiming(const std::optional<ADSTiming>& timing);
    ADSTiming& addTimingWithCategory(const std::string& category);
    // Null when absent; valid until that timing is replaced or removed.
    ADSTiming* timingForCategory(std::string_view category);

    void removeTiming(const ADSTiming& timing);
    void removeTimingForCategory(std::string_view category);
    void removeTimingsForCategories(const std::vector<std::string>& categories);
    void removeAllTimings();

    std::vector<const ADSTiming*> timings() const;
    std::vector<std::string> categories() const;

    std::string userDefaultsKey() const;
    void savePersistentTimings();
    void loadPersistentTimings();
    void synchronize() { savePersistentTimings(); }

private:
    std::string identifier_;
    std::map<std::string, ADSTiming, std::less<>> timings_;
};
