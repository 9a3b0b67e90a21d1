#include "QtConvert.h"
#include "ViewImpl.h"
#include "platform/ui/Controls.h"
#include <QPlainTextEdit>

namespace platform {

namespace {
// Multi-line text in the toolkit's own scrolling editor; read-only unless
// made editable.
struct TextViewImpl final : View::Impl {
    TextViewImpl() : View::Impl(new QPlainTextEdit)
    {
        edit()->setFrameShape(QFrame::NoFrame);
        edit()->setReadOnly(true); // a log to read; editing is asked for explicitly
        edit()->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        backgroundChanged();
    }
    ~TextViewImpl() override { releaseWidget(); }
    QPlainTextEdit* edit() const { return static_cast<QPlainTextEdit*>(widget); }
    void backgroundChanged() override
    {
        if (!widget)
            return;
        QPalette p = edit()->palette();
        QColor c = background.alpha > 0 ? qtui::toQColor(background) : QColor(Qt::white);
        p.setColor(QPalette::Base, c);
        p.setColor(QPalette::Window, c);
        edit()->setPalette(p);
    }
    void scaleChanged() override
    {
        if (widget)
            edit()->setFont(qtui::toQFont(font, float(font.size * scale())));
    }
    bool editable = false;
    Font font = Font::systemFont(12);
};

TextViewImpl& timpl(const TextView& t) { return static_cast<TextViewImpl&>(t.impl()); }
}

TextView::TextView() : TextView(Rect {}) { }
TextView::TextView(Rect frame) : View(std::make_unique<TextViewImpl>())
{
    setBackgroundColor(Color::white());
    setFont(Font::systemFont(12));
    setFrame(frame);
}

void TextView::setText(const std::string& text)
{
    timpl(*this).edit()->setPlainText(qtui::toQString(text));
}

std::string TextView::text() const { return qtui::toStdString(timpl(*this).edit()->toPlainText()); }

void TextView::setFont(const Font& f)
{
    timpl(*this).font = f;
    timpl(*this).scaleChanged();
}

void TextView::setEditable(bool e)
{
    timpl(*this).editable = e;
    timpl(*this).edit()->setReadOnly(!e);
}

bool TextView::isEditable() const { return timpl(*this).editable; }

void TextView::setTextColor(Color c)
{
    QPalette p = timpl(*this).edit()->palette();
    p.setColor(QPalette::Text, qtui::toQColor(c));
    timpl(*this).edit()->setPalette(p);
}

}
