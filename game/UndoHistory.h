#pragma once
// The steps a player can take back and redo: each step is the game before and
// after one change of a total or poison count, with only the log entries the
// change rewrote or added. It knows nothing of pickers; the controller takes
// the snapshots and puts them back.

#include "GameSnapshot.h"

#include <deque>
#include <optional>

class UndoHistory {
public:
    // The oldest steps go first beyond this many.
    static constexpr size_t kMaxSteps = 200;

    // The game as it stands now, after a change that starts the history
    // afresh (a reset, a swap, the poison switch, the start-up).
    void restart(GameSnapshot now);
    // The first log entry a change since the game last known may have
    // touched: its last entry then. A snapshot given to `record` carries the
    // log from here on.
    size_t firstChangedLogEntry() const { return current_.logLength ? current_.logLength - 1 : 0; }
    // A change that can be taken back: from the game as last known to `now`.
    // Any steps undone before it can no longer be redone.
    void record(GameSnapshot now);
    // The game before the last step, which becomes redoable; nothing when
    // there is nothing to undo. Its log tail goes over the game's log as it
    // stands after that step.
    std::optional<GameSnapshot> undo();
    // The game after the step last undone, its tail to go over the log as it
    // stands before that step; nothing when there is none.
    std::optional<GameSnapshot> redo();

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    // The game as last known, with its last log entry only.
    const GameSnapshot& current() const { return current_; }

private:
    struct Step {
        GameSnapshot before, after;
    };
    GameSnapshot current_;
    std::deque<Step> done_;
    std::deque<Step> undone_;
};
