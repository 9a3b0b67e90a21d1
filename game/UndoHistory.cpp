#include "UndoHistory.h"

void UndoHistory::restart(GameSnapshot now)
{
    done_.clear();
    undone_.clear();
    current_ = std::move(now);
}

void UndoHistory::record(GameSnapshot now)
{
    if (now == current_)
        return; // a refused move changed nothing: no step to take back
    done_.push_back({ current_, now });
    if (done_.size() > kMaxSteps)
        done_.pop_front();
    undone_.clear();
    current_ = std::move(now);
}

std::optional<GameSnapshot> UndoHistory::undo()
{
    if (done_.empty())
        return std::nullopt;
    Step step = std::move(done_.back());
    done_.pop_back();
    current_ = step.before;
    undone_.push_back(std::move(step));
    return current_;
}

std::optional<GameSnapshot> UndoHistory::redo()
{
    if (undone_.empty())
        return std::nullopt;
    Step step = std::move(undone_.back());
    undone_.pop_back();
    current_ = step.after;
    done_.push_back(std::move(step));
    return current_;
}
