#pragma once
// Draws the cover-vertical transition of modal presentation: a presented
// view slides up from the window's bottom edge into its place, and a dismissed
// one slides down out of it. It changes no model value (frames, the view
// tree), only where the widgets are drawn for the moment, and only on the
// real clock: on a virtual clock a picture taken right after shows the end.

class QWidget;

namespace platform::CoverVertical {

constexpr double kSeconds = 0.3;

// Slides the widget, already in its final place, up from below its parent.
void slideIn(QWidget* widget);
// Shows a picture of the widget, taken now, sliding down out of its parent;
// call before the widget leaves the window.
void slideOut(QWidget* widget);

}
