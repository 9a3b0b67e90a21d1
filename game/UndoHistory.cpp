#include "UndoHistory.h"

void UndoHistory::restart(GameSnapshot now)
{
    done_.clear();
    undone_.clear();
    current_ = std::move(now);
    current_.keepLastLogEntryOnly();
}

void UndoHistory::record(GameSnapshot now)
{
    if (now.sameGameAs(current_))
        return; // a refused move changed nothing: no step to take back
    // A log that lost entries, or a snapshot that misses some the change may
    // have rewritten, cannot be walked back from tails: the game as it now
    // stands begins a new history rather than an undo that puts back a wrong log.
    if (now.logLength < current_.logLength || now.logTailStart > firstChangedLogEntry()
        || (now.logLength > 0 && now.logTail.size() != now.logLength - now.logTailStart)) {
        restart(std::move(now));
        return;
    }
    Step step { std::move(current_), now };
    done_.push_back(std::move(step));
    if (done_.size() > kMaxSteps)
        done_.pop_front();
    undone_.clear();
    current_ = std::move(now);
    current_.keepLastLogEntryOnly();
}

std::optional<GameSnapshot> UndoHistory::undo()
{
    if (done_.empty())
        return std::nullopt;
    Step step = std::move(done_.back());
    done_.pop_back();
    GameSnapshot before = step.before;
    undone_.push_back(std::move(step));
    current_ = before;
    return before;
}

std::optional<GameSnapshot> UndoHistory::redo()
{
    if (undone_.empty())
        return std::nullopt;
    Step step = std::move(undone_.back());
    undone_.pop_back();
    GameSnapshot after = step.after;
    done_.push_back(std::move(step));
    current_ = after;
    current_.keepLastLogEntryOnly();
    return after;
}
