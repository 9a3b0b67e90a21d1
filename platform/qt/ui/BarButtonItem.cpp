#include "BarButtonItemImpl.h"

#include "ImageImpl.h"
#include "QtConvert.h"
#include "ViewImpl.h"
#include "platform/ui/Image.h"
#include "platform/ui/Toolbar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace platform {

namespace {
constexpr double kDisabledAlpha = 0.35;
constexpr float kGlyphItemWidth = 40;
constexpr float kItemPadding = 10;
const QString kDoneTitle = QStringLiteral("Done");

QFont doneFont() { return qtui::toQFont(Font::boldSystemFont(12)); }

void drawRefresh(QPainter& p, QPointF c)
{
    // Three quarters of a circle, its open end carrying the arrowhead.
    const double r = 7.5;
    QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(box, 100 * 16, 290 * 16);
    QPointF tip(c.x() + 1.5, c.y() - r);
    QPainterPath head;
    head.moveTo(tip + QPointF(4.5, 0));
    head.lineTo(tip + QPointF(-1.5, -4.5));
    head.lineTo(tip + QPointF(-1.5, 4.5));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(head);
}

void drawAction(QPainter& p, QPointF c)
{
    // A tray with an arrow leaving it upwards to the right.
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(c + QPointF(-3, -5));
    tray.lineTo(c + QPointF(-9, -5));
    tray.lineTo(c + QPointF(-9, 8));
    tray.lineTo(c + QPointF(7, 8));
    tray.lineTo(c + QPointF(7, 3));
    p.drawPath(tray);
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(-4, 4));
    arrow.cubicTo(c + QPointF(-4, -4), c + QPointF(1, -8), c + QPointF(7, -8));
    p.drawPath(arrow);
    QPainterPath head;
    head.moveTo(c + QPointF(10, -8));
    head.lineTo(c + QPointF(5, -12));
    head.lineTo(c + QPointF(5, -4));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(head);
}

void drawDone(QPainter& p, const QRectF& r, bool pressed)
{
    QRectF box(r.left() + 4, r.center().y() - 15, r.width() - 8, 30);
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, pressed ? QColor(40, 90, 190) : QColor(88, 140, 230));
    g.setColorAt(1, pressed ? QColor(20, 60, 150) : QColor(36, 92, 205));
    p.setPen(QPen(QColor(10, 30, 80), 1));
    p.setBrush(g);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.setPen(Qt::white);
    p.setFont(doneFont());
    p.drawText(box, Qt::AlignCenter, kDoneTitle);
}

}

// ---- the button

ItemButton::ItemButton(BarButtonItem::Impl* i) : item(i)
{
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    QObject::connect(this, &QAbstractButton::clicked, this, [this] {
        BarButtonItem::Impl* it = item;
        if (!it || !it->enabled || !it->self->onAction)
            return;
        // The action may destroy the item: nothing of it is touched after.
        auto action = it->self->onAction;
        action(*it->self);
    });
}

void ItemButton::paintEvent(QPaintEvent*)
{
    if (!item)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(isEnabled() ? 1.0 : kDisabledAlpha);
    QRectF r = rect();
    bool pressed = isDown();
    if (item->system == BarButtonItem::SystemItem::Done || item->style == BarButtonItem::Style::Done) {
        drawDone(p, r, pressed);
        return;
    }
    if (item->style == BarButtonItem::Style::Bordered) {
        p.setPen(QPen(QColor(0, 0, 0, 160), 1));
        p.setBrush(QColor(255, 255, 255, pressed ? 70 : 30));
        p.drawRoundedRect(QRectF(r.left() + 2, r.center().y() - 15, r.width() - 4, 30).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    } else if (pressed) {
        // Plain items glow where they are touched.
        QRadialGradient glow(r.center(), std::min(r.width(), r.height()) / 2);
        glow.setColorAt(0, QColor(255, 255, 255, 150));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(r.center(), r.height() / 2, r.height() / 2);
    }
    if (item->system == BarButtonItem::SystemItem::Refresh) {
        drawRefresh(p, r.center());
    } else if (item->system == BarButtonItem::SystemItem::Action) {
        drawAction(p, r.center());
    } else if (item->image) {
        Size s = item->image->size();
        QRectF ir(r.center().x() - s.width / 2.0, r.center().y() - s.height / 2.0, s.width, s.height);
        qtui::drawImage(p, ir, *item->image);
    }
}

// ---- the item

BarButtonItem::Impl::~Impl()
{
    if (button) {
        button->item = nullptr;
        delete button.data();
    }
}

float BarButtonItem::Impl::preferredWidth() const
{
    if (width > 0)
        return width;
    if (custom)
        return custom->frame().width;
    if (system == SystemItem::FlexibleSpace)
        return 0;
    if (system == SystemItem::Done || style == Style::Done)
        return std::max(50.0f, float(QFontMetricsF(doneFont()).horizontalAdvance(kDoneTitle)) + 2 * kItemPadding);
    if (image)
        return image->size().width + 2 * kItemPadding;
    return kGlyphItemWidth;
}

QWidget* BarButtonItem::Impl::widget() const
{
    if (button)
        return button.data();
    return custom ? custom->impl().widget : nullptr;
}

void BarButtonItem::Impl::applyAccessibility()
{
    QWidget* w = widget();
    if (!w)
        return;
    QString name = accessible ? qtui::toQString(label) : QString();
    w->setAccessibleName(name);
    w->setToolTip(name);
}

void BarButtonItem::Impl::applyEnabled()
{
    if (button) {
        button->setEnabled(enabled);
        button->update();
    }
}

BarButtonItem::BarButtonItem(std::unique_ptr<Impl> impl) : impl_(std::move(impl))
{
    impl_->self = this;
    bool pressable = !impl_->custom && impl_->system != SystemItem::FlexibleSpace;
    if (pressable)
        impl_->button = new ItemButton(impl_.get());
    if (impl_->system == SystemItem::Done) {
        impl_->style = Style::Done;
        impl_->label = "Done";
    }
    impl_->applyAccessibility();
}

BarButtonItem::~BarButtonItem()
{
    // Leave the bar first, while the widget is still ours to take back.
    if (impl_->toolbar) {
        std::vector<BarButtonItem*> rest;
        for (BarButtonItem* i : impl_->toolbar->items())
            if (i != this)
                rest.push_back(i);
        impl_->toolbar->setItems(rest);
    }
}

std::unique_ptr<BarButtonItem> BarButtonItem::systemItem(SystemItem item)
{
    auto impl = std::make_unique<Impl>();
    impl->system = item;
    return std::unique_ptr<BarButtonItem>(new BarButtonItem(std::move(impl)));
}

std::unique_ptr<BarButtonItem> BarButtonItem::imageItem(std::shared_ptr<const Image> image, Style style)
{
    auto impl = std::make_unique<Impl>();
    impl->image = std::move(image);
    impl->style = style;
    return std::unique_ptr<BarButtonItem>(new BarButtonItem(std::move(impl)));
}

std::unique_ptr<BarButtonItem> BarButtonItem::customViewItem(View& view)
{
    auto impl = std::make_unique<Impl>();
    impl->custom = &view;
    return std::unique_ptr<BarButtonItem>(new BarButtonItem(std::move(impl)));
}

std::optional<BarButtonItem::SystemItem> BarButtonItem::systemKind() const { return impl_->system; }
std::shared_ptr<const Image> BarButtonItem::image() const { return impl_->image; }
View* BarButtonItem::customView() const { return impl_->custom; }

BarButtonItem::Style BarButtonItem::style() const { return impl_->style; }
void BarButtonItem::setStyle(Style style)
{
    impl_->style = style;
    if (impl_->button)
        impl_->button->update();
}

float BarButtonItem::width() const { return impl_->width; }
void BarButtonItem::setWidth(float width)
{
    impl_->width = std::isfinite(width) && width > 0 ? width : 0;
    if (impl_->toolbar)
        impl_->toolbar->setItems(impl_->toolbar->items());
}

bool BarButtonItem::isEnabled() const { return impl_->enabled; }
void BarButtonItem::setEnabled(bool enabled)
{
    impl_->enabled = enabled;
    impl_->applyEnabled();
}

const std::string& BarButtonItem::accessibilityLabel() const { return impl_->label; }
void BarButtonItem::setAccessibilityLabel(const std::string& label)
{
    impl_->label = label;
    impl_->applyAccessibility();
}

bool BarButtonItem::isAccessibilityElement() const { return impl_->accessible; }
void BarButtonItem::setIsAccessibilityElement(bool on)
{
    impl_->accessible = on;
    impl_->applyAccessibility();
}

Toolbar* BarButtonItem::toolbar() const { return impl_->toolbar; }
Rect BarButtonItem::frame() const { return impl_->frame; }

bool BarButtonItem::simulateTap()
{
    ItemButton* b = impl_->button;
    if (!b || !impl_->enabled || !impl_->toolbar)
        return false;
    QPointF p(b->width() / 2.0, b->height() / 2.0);
    QPointer<ItemButton> guard = b;
    QMouseEvent press(QEvent::MouseButtonPress, p, b->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &press);
    if (guard) {
        QMouseEvent release(QEvent::MouseButtonRelease, p, b->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(guard, &release);
    }
    return true;
}

}
