#pragma once
// What one moment of the game looks like to a player: every total, the poison
// counts and the whole log. It is a plain value; the controller takes and
// puts it back. Names, rounds and the timer are not part of it.

#include "platform/Value.h"

#include <memory>
#include <string>
#include <vector>

struct GameSnapshot {
    bool poison = false;
    std::vector<int> totals;       // index = player
    std::vector<int> poisonCounts; // players 0 and 1, poison mode only
    // The log's four lists as they stand, names by identity.
    std::vector<platform::Date> logTimes;
    std::vector<std::string> logTimeTexts;
    std::vector<std::shared_ptr<const std::string>> logNames;
    std::vector<int> logValues;

    bool operator==(const GameSnapshot&) const = default;
};
