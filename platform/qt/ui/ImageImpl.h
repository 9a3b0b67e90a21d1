#pragma once
// The pixels behind an Image, and the nine-slice drawing of stretchable ones.

#include "platform/ui/Image.h"
#include <QImage>
#include <QPainter>

namespace platform {

struct Image::Impl {
    QImage pixels;
};

namespace qtui {
// Draws the image into target (points): plainly scaled, or for a stretchable
// image with its end caps kept at their size and the middle stretched.
void drawImage(QPainter& painter, const QRectF& target, const Image& image);
}

}
