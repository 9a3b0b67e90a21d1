#include "BarButtonItemImpl.h"
#include "QtConvert.h"
#include "ViewImpl.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Toolbar.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {
constexpr float kEdgeMargin = 6;

std::string roleName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
        return "button";
    case QAccessible::Animation:
    case QAccessible::ProgressBar:
    case QAccessible::Indicator:
        return "indicator";
    default:
        return "element";
    }
}

struct ToolbarImpl final : View::Impl {
    ToolbarImpl() : View::Impl(new BaseWidget) { }
    ~ToolbarImpl() override
    {
        // The item buttons are children of our widget: take them back before
        // it goes, for their items own them.
        for (BarButtonItem* item : items) {
            item->impl().toolbar = nullptr;
            if (item->impl().button) {
                item->impl().button->hide();
                item->impl().button->setParent(nullptr);
            }
        }
        items.clear();
        releaseWidget();
    }

    void paintContent(QPainter& painter, const QRectF& r) override
    {
        // Black has nothing to lighten or darken: it gets greys of its own.
        QColor base = qtui::toQColor(tint);
        bool dark = base.value() < 40;
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, dark ? QColor(78, 78, 78) : base.lighter(140));
        g.setColorAt(0.5, dark ? QColor(30, 30, 30) : base);
        g.setColorAt(1, dark ? QColor(8, 8, 8) : base.darker(130));
        painter.fillRect(r, g);
        painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
        painter.drawLine(QPointF(r.left(), r.top() + 0.5), QPointF(r.right(), r.top() + 0.5));
    }

    void frameChanged() override { layout(); }

    // Fixed widths first; flexible spaces share what is left.
    void layout()
    {
        float height = frame.height;
        float fixed = 0;
        int flexible = 0;
        for (BarButtonItem* item : items) {
            if (item->isFlexibleSpace())
                ++flexible;
            else
                fixed += item->impl().preferredWidth();
        }
        float rest = std::max(0.0f, frame.width - 2 * kEdgeMargin - fixed);
        float share = flexible ? rest / float(flexible) : 0;
        float x = kEdgeMargin;
        for (BarButtonItem* item : items) {
            auto& i = item->impl();
            float w = item->isFlexibleSpace() ? share : i.preferredWidth();
            i.frame = { x, 0, w, height };
            if (i.button)
                i.button->setGeometry(int(std::lround(x)), 0, int(std::lround(w)), int(std::lround(height)));
            if (i.custom) {
                Rect f = i.custom->frame();
                i.custom->setFrame({ x + (w - f.width) / 2, (height - f.height) / 2, f.width, f.height });
            }
            x += w;
        }
    }

    std::vector<BarButtonItem*> items; // non-owning
    Color tint = Color::black();
};

ToolbarImpl& timpl(const Toolbar& t) { return static_cast<ToolbarImpl&>(t.impl()); }
}

Toolbar::Toolbar() : Toolbar(Rect { 0, 0, 320, 44 }) { }

Toolbar::Toolbar(Rect frame) : View(std::make_unique<ToolbarImpl>())
{
    impl().widget->setAccessibleName(QStringLiteral("Toolbar"));
    setFrame(frame);
}

Toolbar::~Toolbar() = default;

void Toolbar::setItems(const std::vector<BarButtonItem*> &newItems)
{
    auto& t = timpl(*this);
    std::vector<BarButtonItem*> items;
    // A flexible space draws nothing and may stand in several places; any
    // other item is shown once, at its first place.
    for (BarButtonItem* item : newItems)
        if (item && (item->isFlexibleSpace() || std::find(items.begin(), items.end(), item) == items.end()))
            items.push_back(item);
    // Items leaving the bar: their widgets go with them.
    for (BarButtonItem* old : t.items) {
        if (std::find(items.begin(), items.end(), old) != items.end())
            continue;
        auto& i = old->impl();
        i.toolbar = nullptr;
        if (i.button) {
            i.button->hide();
            i.button->setParent(nullptr);
        }
        if (i.custom && i.custom->superview() == this)
            i.custom->removeFromSuperview();
    }
    for (BarButtonItem* item : items) {
        auto& i = item->impl();
        if (i.toolbar && i.toolbar != this) {
            // On one bar at a time: it leaves the other one.
            Toolbar* other = i.toolbar;
            std::vector<BarButtonItem*> rest;
            for (BarButtonItem* o : other->items())
                if (o != item)
                    rest.push_back(o);
            other->setItems(rest);
        }
        i.toolbar = this;
        if (i.button && i.button->parentWidget() != impl().widget)
            i.button->setParent(impl().widget);
        if (i.custom && i.custom->superview() != this)
            addSubview(*i.custom);
    }
    t.items = std::move(items);
    t.layout();
    for (BarButtonItem* item : t.items) {
        auto& i = item->impl();
        i.applyEnabled();
        i.applyAccessibility();
        if (i.button) {
            i.button->raise();
            i.button->show();
        }
    }
}

const std::vector<BarButtonItem*>& Toolbar::items() const { return timpl(*this).items; }

void Toolbar::setTintColor(Color color)
{
    timpl(*this).tint = color;
    impl().widget->update();
}

Color Toolbar::tintColor() const { return timpl(*this).tint; }

std::vector<Toolbar::AccessibleElement> Toolbar::accessibleElements() const
{
    std::vector<AccessibleElement> out;
    for (BarButtonItem* item : timpl(*this).items) {
        QWidget* w = item->impl().widget();
        if (!w || !item->isAccessibilityElement())
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || !iface->isValid())
            continue;
        out.push_back({ qtui::toStdString(iface->text(QAccessible::Name)), roleName(iface->role()),
            !iface->state().disabled });
    }
    return out;
}

}
