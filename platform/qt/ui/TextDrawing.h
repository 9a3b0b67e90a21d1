#pragma once
// Fitting a line of text to a width by shrinking its font, as labels and text
// fields do when asked to adjust their font size.

#include "platform/ui/Geometry.h"
#include <QString>

namespace platform::qtui {

// The largest size from font.size down to minimum (in steps of half a point)
// at which text fits in width on one line; minimum when nothing fits.
float fittedFontSize(const Font& font, const QString& text, double width, float minimum);

}
