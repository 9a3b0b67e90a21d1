#include "ImageImpl.h"
#include "QtConvert.h"
#include "TextDrawing.h"
#include "ViewImpl.h"
#include "platform/Lifetime.h"
#include "platform/RunLoop.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Image.h"
#include <QApplication>
#include <QMouseEvent>
#include <map>

namespace platform {

namespace {
constexpr double kLongPressSeconds = 0.8;

struct ButtonImpl final : View::Impl {
    explicit ButtonImpl(Button::Type t) : View::Impl(new BaseWidget), type(t)
    {
        if (type == Button::Type::RoundedRect) {
            titleColors[ControlStateNormal] = Color::buttonTitle();
            titleColors[ControlStateHighlighted] = Color::white();
        } else {
            titleColors[ControlStateNormal] = Color::white();
        }
        font = Font::boldSystemFont(15);
    }
    ~ButtonImpl() override { releaseWidget(); }

    void paintContent(QPainter& painter, const QRectF& r) override;
    std::string accessibleRole() const override { return "button"; }
    std::string accessibleText() const override { return pick<std::string>(titles, ControlStateNormal, {}); }
    void mousePress(QMouseEvent* e) override;
    void mouseMove(QMouseEvent* e) override;
    void mouseRelease(QMouseEvent* e) override;

    template <class T>
    static T pick(const std::map<unsigned, T>& m, unsigned state, T none)
    {
        auto it = m.find(state);
        if (it != m.end())
            return it->second;
        it = m.find(ControlStateNormal);
        return it != m.end() ? it->second : none;
    }
    unsigned currentState() const
    {
        if (!enabled)
            return ControlStateDisabled;
        if (highlighted)
            return ControlStateHighlighted;
        return ControlStateNormal;
    }

    Button* owner() const { return static_cast<Button*>(self); }

    Button::Type type;
    std::map<unsigned, std::string> titles;
    std::map<unsigned, Color> titleColors;
    std::map<unsigned, std::shared_ptr<const Image>> backgrounds;
    std::map<unsigned, std::shared_ptr<const Image>> images;
    Font font;
    bool highlighted = false;
    bool showsTouch = false;
    bool longPressed = false;
    bool pressing = false;
    std::unique_ptr<Timer> longPressTimer;
    // Watches for the button being destroyed by its own action.
    Lifetime lifetime;
};

void ButtonImpl::paintContent(QPainter& painter, const QRectF& r)
{
    unsigned state = currentState();
    auto bg = ButtonImpl::pick<std::shared_ptr<const Image>>(backgrounds, state, nullptr);
    if (bg) {
        qtui::drawImage(painter, r, *bg);
    } else if (type == Button::Type::RoundedRect) {
        painter.setPen(QPen(QColor(120, 120, 128), 1));
        painter.setBrush(highlighted ? QColor(30, 100, 230) : QColor(255, 255, 255));
        painter.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);
    }
    auto img = ButtonImpl::pick<std::shared_ptr<const Image>>(images, state, nullptr);
    std::string title = ButtonImpl::pick<std::string>(titles, state, {});
    QRectF textRect = r;
    if (img) {
        QSizeF sz(img->size().width, img->size().height);
        double x = title.empty() ? r.center().x() - sz.width() / 2 : r.left() + 4;
        QRectF ir(QPointF(x, r.center().y() - sz.height() / 2), sz);
        qtui::drawImage(painter, ir, *img);
        if (!title.empty())
            textRect.setLeft(ir.right() + 2);
    }
    if (!title.empty()) {
        Color c = ButtonImpl::pick<Color>(titleColors, state, Color::black());
        if (!enabled && !titleColors.count(ControlStateDisabled))
            c.alpha *= 0.5f;
        painter.setPen(qtui::toQColor(c));
        // A title stays on one line ("All +1" does not break in two) and
        // shrinks to fit the button; only a title with line breaks of its
        // own takes several lines.
        const QString text = qtui::toQString(title);
        if (text.contains(QLatin1Char('\n'))) {
            painter.setFont(qtui::toQFont(font));
            painter.drawText(textRect, Qt::AlignCenter, text);
        } else {
            constexpr double kInset = 3;
            painter.setFont(qtui::toQFont(font, qtui::fittedFontSize(font, text, textRect.width() - 2 * kInset, 6)));
            painter.drawText(textRect, Qt::AlignCenter, text);
        }
    }
    if (showsTouch && highlighted) {
        QRadialGradient glow(r.center(), std::max(r.width(), r.height()) / 2);
        glow.setColorAt(0, QColor(255, 255, 255, 170));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(r.center(), r.width() / 2, r.height() / 2);
    }
}

void ButtonImpl::mousePress(QMouseEvent* e)
{
    if (!enabled || e->button() != Qt::LeftButton)
        return;
    highlighted = true;
    longPressed = false;
    pressing = true;
    longPressTimer = Timer::singleShot(kLongPressSeconds, [b = this](Timer&) {
        // The timer is running its own callback, and the action may destroy
        // the button that owns it: keep the timer alive until the next turn.
        std::shared_ptr<Timer> keep(std::move(b->longPressTimer));
        RunLoop::main().post([keep] { });
        if (!b->enabled)
            return; // disabled while held: the hold no longer counts
        b->longPressed = true;
        b->highlighted = false;
        if (b->widget)
            b->widget->update();
        Button* owner = b->owner();
        if (owner->onLongPress) {
            auto action = owner->onLongPress;
            action(*owner);
        }
    });
    widget->update();
}

void ButtonImpl::mouseMove(QMouseEvent* e)
{
    if (!pressing)
        return;
    bool inside = widget->rect().contains(e->position().toPoint());
    if (inside != highlighted) {
        highlighted = inside;
        widget->update();
    }
}

void ButtonImpl::mouseRelease(QMouseEvent* e)
{
    if (!pressing)
        return;
    pressing = false;
    longPressTimer.reset();
    bool wasLong = longPressed;
    highlighted = false;
    longPressed = false;
    widget->update();
    if (wasLong || !enabled || !widget->rect().contains(e->position().toPoint()))
        return;
    Button* button = owner();
    if (button->onTouchUpInside) {
        // The action may destroy the button: nothing of it is touched after.
        auto action = button->onTouchUpInside;
        action(*button);
    }
}

ButtonImpl& bimpl(const Button& b) { return static_cast<ButtonImpl&>(b.impl()); }

void sendMouse(QWidget* w, QEvent::Type type)
{
    QPointF p(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent ev(type, p, w->mapToGlobal(p), Qt::LeftButton,
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}
}

Button::Button(Type type) : Button(Rect {}, type) { }

Button::Button(Rect frame, Type type) : Control(std::make_unique<ButtonImpl>(type))
{
    setFrame(frame);
}

Button::~Button() { bimpl(*this).lifetime.end(); }

void Button::setTitle(const std::string& title, ControlState state)
{
    bimpl(*this).titles[state] = title;
    impl().widget->update();
}
std::string Button::title(ControlState state) const
{
    return ButtonImpl::pick<std::string>(bimpl(*this).titles, state, {});
}
void Button::setTitleColor(Color color, ControlState state)
{
    bimpl(*this).titleColors[state] = color;
    impl().widget->update();
}
Color Button::titleColor(ControlState state) const
{
    return ButtonImpl::pick<Color>(bimpl(*this).titleColors, state, Color::black());
}
void Button::setBackgroundImage(std::shared_ptr<const Image> image, ControlState state)
{
    auto& m = bimpl(*this).backgrounds;
    if (image)
        m[state] = std::move(image);
    else
        m.erase(state);
    impl().widget->update();
}
std::shared_ptr<const Image> Button::backgroundImage(ControlState state) const
{
    return ButtonImpl::pick<std::shared_ptr<const Image>>(bimpl(*this).backgrounds, state, nullptr);
}
void Button::setImage(std::shared_ptr<const Image> image, ControlState state)
{
    auto& m = bimpl(*this).images;
    if (image)
        m[state] = std::move(image);
    else
        m.erase(state);
    impl().widget->update();
}
std::shared_ptr<const Image> Button::image(ControlState state) const
{
    return ButtonImpl::pick<std::shared_ptr<const Image>>(bimpl(*this).images, state, nullptr);
}
void Button::setFont(const Font& font)
{
    bimpl(*this).font = font;
    impl().widget->update();
}
Font Button::font() const { return bimpl(*this).font; }
void Button::setShowsTouchWhenHighlighted(bool on) { bimpl(*this).showsTouch = on; }
bool Button::showsTouchWhenHighlighted() const { return bimpl(*this).showsTouch; }

void Button::simulateTap()
{
    if (!isEnabled())
        return;
    QWidget* w = impl().widget;
    const auto alive = bimpl(*this).lifetime.watch();
    sendMouse(w, QEvent::MouseButtonPress);
    if (alive)
        sendMouse(w, QEvent::MouseButtonRelease);
}

void Button::simulateLongPress()
{
    if (!isEnabled())
        return;
    QWidget* w = impl().widget;
    const auto alive = bimpl(*this).lifetime.watch();
    sendMouse(w, QEvent::MouseButtonPress);
    if (alive && bimpl(*this).longPressTimer)
        bimpl(*this).longPressTimer->fire();
    if (alive)
        sendMouse(w, QEvent::MouseButtonRelease);
}

void Button::simulateTouchDown()
{
    if (isEnabled())
        sendMouse(impl().widget, QEvent::MouseButtonPress);
}

void Button::simulateTouchUp() { sendMouse(impl().widget, QEvent::MouseButtonRelease); }

}
