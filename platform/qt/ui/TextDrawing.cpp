#include "TextDrawing.h"
#include "QtConvert.h"
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace platform::qtui {

float fittedFontSize(const Font& font, const QString& text, double width, float minimum)
{
    minimum = std::max(1.0f, minimum);
    const float top = std::max(minimum, font.size);
    if (text.isEmpty() || width <= 0)
        return top;
    auto advance = [&](float size) { return QFontMetricsF(toQFont(font, size)).horizontalAdvance(text); };
    const double full = advance(top);
    if (full <= width)
        return top;
    // The sizes tried are top, top - 0.5, ... down to minimum. A line's width
    // grows nearly in proportion to its size, so the proportional guess lands
    // within a step or two of the answer, and walking from there finds the
    // same size as trying every step from the top (each wheel row of a
    // four-digit total shrinks by some thirty steps, at every paint).
    auto sizeAt = [&](int step) { return std::max(minimum, top - 0.5f * float(step)); };
    const int last = int(std::ceil((top - minimum) * 2));
    if (last <= 0)
        return minimum;
    int step = std::clamp(int(std::ceil((top - top * float(width / full)) * 2)), 1, last);
    if (advance(sizeAt(step)) <= width) {
        while (step > 1 && advance(sizeAt(step - 1)) <= width)
            --step;
        return sizeAt(step);
    }
    while (step < last && advance(sizeAt(step + 1)) > width)
        ++step;
    return sizeAt(std::min(step + 1, last));
}

}
