#pragma once
// Animation blocks in the style the platform offers: begin, set a duration,
// a transition and a delegate, change frames, commit. The model values (frames,
// subviews) change at once; only the drawing is animated. Blocks nest.

#include <functional>
#include <string>
#include <vector>

namespace platform {

class View;

enum class AnimationTransition { None, FlipFromLeft, FlipFromRight, CurlUp, CurlDown };

namespace Animation {
void begin(const std::string& name = {});
void setDuration(double seconds); // default 0.2
void setTransition(AnimationTransition transition, View& forView, bool cache = true);
// Called when the committed block has finished (after its duration on the clock).
void setDidStopHandler(std::function<void(const std::string& name, bool finished)> handler);
void commit();
// Animation blocks run so far (name, duration, transition) for tests.
struct Record { std::string name; double duration; AnimationTransition transition; };
const std::vector<Record>& history();
void clearHistory();
}

}
