#include "TextDrawing.h"
#include "QtConvert.h"
#include <QFontMetricsF>
#include <algorithm>

namespace platform::qtui {

float fittedFontSize(const Font& font, const QString& text, double width, float minimum)
{
    minimum = std::max(1.0f, minimum);
    float size = std::max(minimum, font.size);
    if (text.isEmpty() || width <= 0)
        return size;
    while (size > minimum) {
        QFontMetricsF fm(toQFont(font, size));
        if (fm.horizontalAdvance(text) <= width)
            return size;
        size = std::max(minimum, size - 0.5f);
    }
    return minimum;
}

}
