#include "QtConvert.h"
#include <QStringList>
#include <cmath>

namespace platform::qtui {

QFont toQFont(const Font& font) { return toQFont(font, font.size); }

QFont toQFont(const Font& font, float size)
{
    QString name = toQString(font.name);
    bool bold = font.bold;
    bool italic = false;
    int dash = name.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
        QString style = name.mid(dash + 1);
        name = name.left(dash);
        bold = bold || style.contains(QLatin1String("Bold"), Qt::CaseInsensitive);
        italic = style.contains(QLatin1String("Italic"), Qt::CaseInsensitive)
            || style.contains(QLatin1String("Oblique"), Qt::CaseInsensitive);
    }
    if (name.isEmpty())
        name = QStringLiteral("Helvetica");
    QFont f;
    // The phone's faces are rarely installed on a desktop; fall back to the
    // closest free faces so that metrics stay similar.
    f.setFamilies({ name, QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
        QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif") });
    f.setStyleHint(QFont::SansSerif);
    if (!std::isfinite(size) || size < 1)
        size = 1;
    if (size > 1000)
        size = 1000;
    f.setPixelSize(int(std::lround(size)));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

Qt::Alignment toQtAlignment(TextAlignment a)
{
    switch (a) {
    case TextAlignment::Center: return Qt::AlignHCenter;
    case TextAlignment::Right: return Qt::AlignRight;
    case TextAlignment::Left: break;
    }
    return Qt::AlignLeft;
}

}
