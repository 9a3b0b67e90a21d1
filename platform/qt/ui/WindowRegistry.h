#pragma once
// The windows alive in the process, so that a controller going away can be
// taken out of any window that still names it as its root.

namespace platform {
class ViewController;
namespace windows {
void forgetRootController(ViewController* controller);
}
}
