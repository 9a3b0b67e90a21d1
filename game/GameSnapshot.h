#pragma once
// What one moment of the game looks like to a player: every total, the poison
// counts, the log's length and its newest entries. Older entries are not
// copied: between two restarts of the undo history a change of play only
// appends to the log or rewrites its last entry, so every moment of one
// history shares them with the game. Names, rounds and the timer are not part of it.

#include "platform/Value.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// One line of the log as the controller's four lists hold it, the name by identity.
struct LogEntry {
    platform::Date time;
    std::string timeText;
    std::shared_ptr<const std::string> name;
    int value = 0;

    bool operator==(const LogEntry&) const = default;
};

struct GameSnapshot {
    bool poison = false;
    std::vector<int> totals;       // index = player
    std::vector<int> poisonCounts; // players 0 and 1, poison mode only
    size_t logLength = 0;
    // The entries from `logTailStart` to the end; a non-empty log always has
    // at least its last entry here. Putting the snapshot back keeps the
    // game's entries before `logTailStart` as they are.
    size_t logTailStart = 0;
    std::vector<LogEntry> logTail;

    // Whether two snapshots of one history show the same game: with the older
    // entries shared, the length and the last entry tell the logs apart.
    bool sameGameAs(const GameSnapshot& other) const
    {
        if (poison != other.poison || totals != other.totals || poisonCounts != other.poisonCounts
            || logLength != other.logLength)
            return false;
        if (logLength == 0)
            return true;
        return !logTail.empty() && !other.logTail.empty() && logTail.back() == other.logTail.back();
    }

    // Drops every tail entry but the last: all that telling this moment apart
    // or putting it back over a later one of its history needs.
    void keepLastLogEntryOnly()
    {
        if (logTail.size() <= 1)
            return;
        logTail.erase(logTail.begin(), logTail.end() - 1);
        logTailStart = logLength - 1;
    }
};
