#include "platform/ui/Animation.h"
#include "platform/RunLoop.h"
#include "platform/ui/View.h"
#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

namespace platform::Animation {

namespace {
struct Block {
    std::string name;
    double duration = 0.2;
    AnimationTransition transition = AnimationTransition::None;
    std::function<void(const std::string&, bool)> didStop;
};

// Model values change at once, so a block is only bookkeeping: its record,
// and the did-stop call after its duration.
struct State {
    std::vector<Block> open;
    std::vector<Record> history;
    std::list<std::unique_ptr<Timer>> pending;
};

// Never destroyed: pending timers must not outlive the run loop at exit.
State& state()
{
    static State& s = *new State;
    return s;
}
}

void begin(const std::string& name) { Block b;
    b.name = name;
    state().open.push_back(std::move(b)); }

void setDuration(double seconds)
{
    if (state().open.empty())
        return;
    state().open.back().duration = std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0;
}

void setTransition(AnimationTransition transition, View&, bool)
{
    // The flip is drawn by the container being redrawn with its new content;
    // what matters to the program is that the block carries the transition.
    if (!state().open.empty())
        state().open.back().transition = transition;
}

void setDidStopHandler(std::function<void(const std::string& name, bool finished)> handler)
{
    if (!state().open.empty())
        state().open.back().didStop = std::move(handler);
}

void commit()
{
    auto& s = state();
    if (s.open.empty())
        return; // a commit without a begin does nothing
    Block b = std::move(s.open.back());
    s.open.pop_back();
    s.history.push_back(Record { b.name, b.duration, b.transition });
    if (!b.didStop)
        return;
    auto it = s.pending.insert(s.pending.end(), nullptr);
    auto handler = std::move(b.didStop);
    std::string name = b.name;
    *it = Timer::schedule(b.duration, false, [it, handler, name](Timer&) {
        // Keep the running timer alive until the next turn, then call.
        std::shared_ptr<Timer> keep(std::move(*it));
        state().pending.erase(it);
        RunLoop::main().post([keep] { });
        handler(name, true);
    });
}

const std::vector<Record>& history() { return state().history; }

void clearHistory() { state().history.clear(); }

}
