#pragma once
// One named stopwatch on the monotonic clock with a few extra values to report
// alongside it. It does not persist itself; ADSTimingManager does.

#include "platform/Value.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kADSTimingCategoryKey = "category";
inline constexpr const char* kADSTimingStartKey = "start";
inline constexpr const char* kADSTimingEndKey = "end";
inline constexpr const char* kADSTimingKeyUserDataKey = "userData";

class ADSTiming {
public:
    explicit ADSTiming(std::string category);
    // Reads "category", "start", "end" and, when it is a dictionary, "userData";
    // anything missing or of another type reads as empty or 0.
    static ADSTiming initWithDictionaryRepresentation(const platform::Dictionary& representation);
    platform::Dictionary dictionaryRepresentation() const;
    ADSTiming copy() const { return initWithDictionaryRepresentation(dictionaryRepresentation()); }

    const std::string& category() const { return category_; }
    double startSeconds() const { return startSeconds_; }
    double endSeconds() const { return endSeconds_; }

    void start();
    void end();
    void reset();
    bool isActive() const { return startSeconds_ > 0 && endSeconds_ == 0; }
    // Ended: end - start; running: now - start; never started: 0.
    uint32_t elapsedMilliseconds() const;
    std::string elapsedMillisecondsString() const;

    void setValue(const platform::Value& value, const std::string& key);
    const platform::Value* valueForKey(std::string_view key) const;
    void removeValueForKey(std::string_view key);
    platform::Dictionary keysAndValues() const;
    bool hasUserData() const { return userData_.has_value(); }

    std::string description() const;
    // Seconds on the monotonic clock.
    static double counter();

private:
    std::string category_;
    double startSeconds_ = 0;
    double endSeconds_ = 0;
    std::optional<platform::Dictionary> userData_;
};
