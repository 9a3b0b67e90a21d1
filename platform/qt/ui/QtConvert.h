#pragma once
// Conversions between our plain value types and the toolkit's: colours, fonts,
// strings and alignments. No state; shared by every view implementation.

#include "platform/ui/Geometry.h"
#include <QColor>
#include <QFont>
#include <QString>
#include <string>

namespace platform::qtui {

inline QColor toQColor(Color c)
{
    auto unit = [](float v) { return v < 0 ? 0.0 : v > 1 ? 1.0 : double(v); };
    return QColor::fromRgbF(unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha));
}

inline QString toQString(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

inline std::string toStdString(const QString& s)
{
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

// A font name such as "Helvetica-Bold" or "Arial-BoldItalicMT" becomes the
// family with the style flags; one point is one pixel at scale 1.
QFont toQFont(const Font& font);
// The same font at a fractional size (for shrink-to-fit).
QFont toQFont(const Font& font, float size);

Qt::Alignment toQtAlignment(TextAlignment a);

// Puts our views into the toolkit's accessibility tree (once per process).
void installAccessibility();
// Tells screen readers that a view's (or one of its parts') name changed.
void accessibleNameChanged(QObject* widget, int part = -1);

}
