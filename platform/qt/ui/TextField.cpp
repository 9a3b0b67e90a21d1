#include "QtConvert.h"
#include "TextDrawing.h"
#include "ViewImpl.h"
#include "platform/ui/Controls.h"
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {
class FieldEdit;
class TextFieldWidget;
}

struct TextField::State {
    TextField* owner = nullptr; // non-owning; cleared when the field goes away
    std::shared_ptr<const std::string> text = std::make_shared<const std::string>();
    std::string placeholder;
    Font font = Font::systemFont(17);
    Color color = Color::black();
    TextAlignment alignment = TextAlignment::Left;
    TextAlignment contentAlignment = TextAlignment::Left;
    BorderStyle border = BorderStyle::None;
    ClearButtonMode clearMode = ClearButtonMode::Never;
    int keyboardAppearance = 0;
    int returnKeyType = 0;
    bool adjusts = false;
    float minimumFontSize = 0;
    bool editing = false;
    TextFieldWidget* widget = nullptr; // non-owning
    FieldEdit* edit = nullptr;         // non-owning, a child of widget

    // The editor is a toolkit widget of its own: its font follows the window's scale.
    QFont editFont() const;
    float horizontalInset() const { return border == BorderStyle::None ? 0.0f : 6.0f; }
    float displayedSize(float width) const
    {
        if (!adjusts)
            return font.size;
        // A minimum of 0 would shrink text into nothing; stop at a readable size.
        float minimum = std::max(minimumFontSize, 6.0f);
        return qtui::fittedFontSize(font, qtui::toQString(*text), width - 2 * horizontalInset(), minimum);
    }
};

namespace {

class FieldEdit final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    TextField::State* state = nullptr; // non-owning; cleared when the field goes away

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        bool isReturn = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        if (!isReturn || !state || !state->owner) {
            QLineEdit::keyPressEvent(e);
            return;
        }
        // The return key ends editing here rather than through QLineEdit, which
        // carries on with itself after signalling: the action may destroy the
        // field and this editor with it, so nothing is touched after it.
        e->accept();
        TextField* owner = state->owner;
        if (owner->onDidEndOnExit) {
            auto action = owner->onDidEndOnExit;
            action(*owner);
        }
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QLineEdit::focusOutEvent(e);
        if (!state || !state->editing || !state->owner || e->reason() == Qt::PopupFocusReason)
            return;
        TextField* owner = state->owner;
        owner->resignFirstResponder();
        // What was typed stands without the return key too. The action may
        // destroy the field and this editor: nothing is touched after it.
        if (owner->onEditingDidEnd) {
            auto action = owner->onEditingDidEnd;
            action(*owner);
        }
    }
};

class TextFieldWidget final : public BaseWidget {
public:
    TextField::State* state = nullptr; // non-owning; cleared when the field goes away

protected:
    void paintContent(QPainter& painter, const QRectF& r) override
    {
        if (!state)
            return;
        switch (state->border) {
        case TextField::BorderStyle::None: break;
        case TextField::BorderStyle::Line:
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
            break;
        case TextField::BorderStyle::Bezel:
        case TextField::BorderStyle::RoundedRect:
            painter.setPen(QPen(QColor(150, 150, 150), 1));
            painter.setBrush(Qt::white);
            painter.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5),
                state->border == TextField::BorderStyle::RoundedRect ? 7 : 1, 7);
            break;
        }
        if (state->editing)
            return; // the line edit draws the text meanwhile
        const std::string& text = state->text->empty() ? state->placeholder : *state->text;
        if (text.empty())
            return;
        float inset = state->horizontalInset();
        painter.setFont(qtui::toQFont(state->font, state->displayedSize(float(r.width()))));
        painter.setPen(state->text->empty() ? QColor(170, 170, 170) : qtui::toQColor(state->color));
        int flags = int(qtui::toQtAlignment(state->alignment)) | Qt::AlignVCenter;
        painter.drawText(r.adjusted(inset, 0, -inset, 0), flags, qtui::toQString(text));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (state && state->owner && e->button() == Qt::LeftButton && !state->editing)
            state->owner->becomeFirstResponder();
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (state && state->edit)
            state->edit->setGeometry(rect());
    }
};

struct TextFieldImpl final : View::Impl {
    std::string accessibleRole() const override { return "text"; }
    std::string accessibleValue() const override
    {
        auto* w = static_cast<TextFieldWidget*>(widget);
        return w && w->state ? *w->state->text : std::string();
    }
    void scaleChanged() override
    {
        auto* w = static_cast<TextFieldWidget*>(widget);
        if (w && w->state && w->state->edit)
            w->state->edit->setFont(w->state->editFont());
    }
    explicit TextFieldImpl(TextField::State* s) : View::Impl(new TextFieldWidget)
    {
        auto* w = static_cast<TextFieldWidget*>(widget);
        w->state = s;
        s->widget = w;
        s->edit = new FieldEdit(w);
        s->edit->state = s;
        s->edit->setFrame(false);
        s->edit->hide();
        w->setFocusPolicy(Qt::ClickFocus);
    }
    ~TextFieldImpl() override { releaseWidget(); }
};

}

QFont TextField::State::editFont() const
{
    const double s = widget && widget->impl ? widget->impl->scale() : 1.0;
    return qtui::toQFont(font, float(font.size * s));
}

TextField::TextField() : TextField(Rect {}) { }

TextField::TextField(Rect frame)
    : Control(std::make_unique<TextFieldImpl>(new State)), state_()
{
    // The Impl was made with a State before this object could hold it: adopt it.
    auto* w = static_cast<TextFieldWidget*>(impl().widget);
    state_.reset(w->state);
    state_->owner = this;
    State* st = state_.get();
    QObject::connect(st->edit, &QLineEdit::textEdited, st->edit, [st](const QString& text) {
        // Each user edit is a new name value, like each program set.
        st->text = std::make_shared<const std::string>(qtui::toStdString(text));
    });
    setFrame(frame);
}

TextField::~TextField()
{
    state_->owner = nullptr;
    if (state_->edit) {
        QObject::disconnect(state_->edit, nullptr, nullptr, nullptr);
        state_->edit->state = nullptr;
    }
    if (state_->widget)
        state_->widget->state = nullptr;
    state_->edit = nullptr;
    state_->widget = nullptr;
}

void TextField::setText(const std::string& text)
{
    state_->text = std::make_shared<const std::string>(text);
    if (state_->editing && state_->edit)
        state_->edit->setText(qtui::toQString(text));
    impl().widget->update();
}

std::shared_ptr<const std::string> TextField::textValue() const { return state_->text; }

void TextField::setFont(const Font& f)
{
    state_->font = f;
    if (state_->edit)
        state_->edit->setFont(state_->editFont());
    impl().widget->update();
}
Font TextField::font() const { return state_->font; }
void TextField::setTextColor(Color c)
{
    state_->color = c;
    impl().widget->update();
}
void TextField::setTextAlignment(TextAlignment a)
{
    state_->alignment = a;
    if (state_->edit)
        state_->edit->setAlignment(qtui::toQtAlignment(a) | Qt::AlignVCenter);
    impl().widget->update();
}
void TextField::setBorderStyle(BorderStyle b)
{
    state_->border = b;
    impl().widget->update();
}
TextField::BorderStyle TextField::borderStyle() const { return state_->border; }
// The editor is on screen only while editing, so its clear button is set up
// when editing begins: the toolkit's icon for it costs a start nothing.
void TextField::setClearButtonMode(ClearButtonMode m)
{
    state_->clearMode = m;
    if (state_->edit && state_->editing)
        state_->edit->setClearButtonEnabled(m != ClearButtonMode::Never && m != ClearButtonMode::UnlessEditing);
}
TextField::ClearButtonMode TextField::clearButtonMode() const { return state_->clearMode; }
void TextField::setKeyboardAppearance(int a) { state_->keyboardAppearance = a; }
int TextField::keyboardAppearance() const { return state_->keyboardAppearance; }
void TextField::setReturnKeyType(int t) { state_->returnKeyType = t; }
int TextField::returnKeyType() const { return state_->returnKeyType; }
void TextField::setAdjustsFontSizeToFitWidth(bool a)
{
    state_->adjusts = a;
    impl().widget->update();
}
bool TextField::adjustsFontSizeToFitWidth() const { return state_->adjusts; }
void TextField::setMinimumFontSize(float s)
{
    state_->minimumFontSize = std::isfinite(s) ? std::max(0.0f, s) : 0.0f;
    impl().widget->update();
}
float TextField::displayedFontSize() const { return state_->displayedSize(frame().width); }
void TextField::setContentHorizontalAlignment(TextAlignment a) { state_->contentAlignment = a; }
TextAlignment TextField::contentHorizontalAlignment() const { return state_->contentAlignment; }
void TextField::setPlaceholder(const std::string& p)
{
    state_->placeholder = p;
    if (state_->edit)
        state_->edit->setPlaceholderText(qtui::toQString(p));
    impl().widget->update();
}

bool TextField::becomeFirstResponder()
{
    if (!isEnabled() || !state_->edit)
        return false;
    if (state_->editing)
        return true;
    state_->editing = true;
    FieldEdit* e = state_->edit;
    e->setFont(state_->editFont());
    setClearButtonMode(state_->clearMode);
    e->setText(qtui::toQString(*state_->text));
    e->setGeometry(impl().widget->rect());
    e->show();
    e->setFocus(Qt::OtherFocusReason);
    impl().widget->update();
    return true;
}

bool TextField::resignFirstResponder()
{
    if (!state_->editing)
        return true;
    state_->editing = false; // first, so the focus-out below does not come back here
    if (state_->edit) {
        state_->edit->clearFocus();
        state_->edit->hide();
    }
    impl().widget->update();
    return true;
}

bool TextField::isFirstResponder() const { return state_->editing; }

void TextField::simulateUserEdit(const std::string& text, EditEnd end)
{
    if (!isEnabled() || !becomeFirstResponder())
        return;
    FieldEdit* e = state_->edit;
    // Typed as keys, so the text arrives the way a user's does.
    e->selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(e, &erase);
    QString typed = qtui::toQString(text);
    for (qsizetype i = 0; i < typed.size(); ++i) {
        qsizetype n = typed.at(i).isHighSurrogate() && i + 1 < typed.size() ? 2 : 1;
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed.mid(i, n));
        QApplication::sendEvent(e, &key);
        i += n - 1;
    }
    if (end == EditEnd::FocusLoss) {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(e, &leave); // may destroy this field through the action
        return;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(e, &press); // may destroy this field through the action
}

}
