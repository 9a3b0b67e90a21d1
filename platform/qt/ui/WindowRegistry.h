#pragma once
// The windows alive in the process, so that a controller going away can be
// taken out of any window that still names it as its root.

class QWidget;

namespace platform {
class ViewController;
class Window;
namespace windows {
void forgetRootController(ViewController* controller);
// The live window whose toolkit widget this is, or null; non-owning.
Window* windowOfWidget(const QWidget* widget);
}
}
