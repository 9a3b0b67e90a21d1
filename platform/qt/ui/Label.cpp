#include "QtConvert.h"
#include "TextDrawing.h"
#include "ViewImpl.h"
#include "platform/ui/Controls.h"

namespace platform {

namespace {
struct LabelImpl final : View::Impl {
    LabelImpl() : View::Impl(new BaseWidget, Pointer::PassedThrough) { }
    ~LabelImpl() override { releaseWidget(); }

    void paintContent(QPainter& painter, const QRectF& r) override;
    std::string accessibleRole() const override { return "label"; }
    std::string accessibleText() const override { return text; }

    std::string text;
    Color color = Color::darkText();
    TextAlignment alignment = TextAlignment::Left;
    Font font = Font::systemFont(17);
    bool adjusts = false;
    int lines = 1;
};

void LabelImpl::paintContent(QPainter& painter, const QRectF& r)
{
    if (text.empty())
        return;
    const QString shown = qtui::toQString(text);
    // One line of text is never cut at its frame: it shrinks to fit (a life
    // total of 1005 in a narrow wheel, a caption in a small frame).
    float size = font.size;
    if (lines == 1)
        size = qtui::fittedFontSize(font, shown, r.width(), 6);
    painter.setFont(qtui::toQFont(font, size));
    painter.setPen(qtui::toQColor(color));
    int flags = int(qtui::toQtAlignment(alignment)) | Qt::AlignVCenter;
    if (lines != 1)
        flags |= Qt::TextWordWrap;
    painter.drawText(r, flags, shown);
}

LabelImpl& limpl(const Label& l) { return static_cast<LabelImpl&>(l.impl()); }
}

Label::Label() : Label(Rect {}) { }
Label::Label(Rect frame) : View(std::make_unique<LabelImpl>()) { setFrame(frame); }

void Label::setText(const std::string& text)
{
    limpl(*this).text = text;
    impl().widget->update();
}
const std::string& Label::text() const { return limpl(*this).text; }
void Label::setTextColor(Color c)
{
    limpl(*this).color = c;
    impl().widget->update();
}
Color Label::textColor() const { return limpl(*this).color; }
void Label::setTextAlignment(TextAlignment a)
{
    limpl(*this).alignment = a;
    impl().widget->update();
}
TextAlignment Label::textAlignment() const { return limpl(*this).alignment; }
void Label::setFont(const Font& f)
{
    limpl(*this).font = f;
    impl().widget->update();
}
Font Label::font() const { return limpl(*this).font; }
void Label::setAdjustsFontSizeToFitWidth(bool a)
{
    limpl(*this).adjusts = a;
    impl().widget->update();
}
void Label::setNumberOfLines(int n)
{
    limpl(*this).lines = n < 0 ? 0 : n;
    impl().widget->update();
}

}
