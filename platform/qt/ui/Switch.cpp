#include "ViewImpl.h"
#include "platform/ui/Controls.h"
#include <QMouseEvent>

namespace platform {

namespace {
struct SwitchImpl final : View::Impl {
    SwitchImpl() : View::Impl(new BaseWidget) { }
    ~SwitchImpl() override { releaseWidget(); }

    void paintContent(QPainter& painter, const QRectF& r) override;
    std::string accessibleRole() const override { return "switch"; }
    std::string accessibleValue() const override { return on ? "on" : "off"; }
    void mouseRelease(QMouseEvent* e) override;

    bool on = false;
};

void SwitchImpl::paintContent(QPainter& painter, const QRectF& r)
{
    QRectF track = r.adjusted(1, 1, -1, -1);
    double radius = track.height() / 2;
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.setBrush(on ? QColor(0, 127, 234) : QColor(238, 238, 238));
    painter.drawRoundedRect(track, radius, radius);
    painter.setPen(on ? Qt::white : QColor(120, 120, 120));
    QFont f = painter.font();
    f.setPixelSize(std::max(8, int(track.height() * 0.5)));
    f.setBold(true);
    painter.setFont(f);
    QRectF knob(on ? track.right() - track.height() : track.left(), track.top(), track.height(), track.height());
    QRectF label = on ? QRectF(track.left(), track.top(), knob.left() - track.left(), track.height())
                          : QRectF(knob.right(), track.top(), track.right() - knob.right(), track.height());
    painter.drawText(label, Qt::AlignCenter, on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    painter.setPen(QPen(QColor(140, 140, 140), 1));
    painter.setBrush(QColor(250, 250, 250));
    painter.drawEllipse(knob);
}

void SwitchImpl::mouseRelease(QMouseEvent* e)
{
    if (!enabled || e->button() != Qt::LeftButton || !widget->rect().contains(e->position().toPoint()))
        return;
    static_cast<Switch*>(self)->simulateUserSet(!on);
}

SwitchImpl& simpl(const Switch& s) { return static_cast<SwitchImpl&>(s.impl()); }
}

// The phone's switch has one size whatever frame it is given.
Switch::Switch() : Switch(Rect {}) { }
Switch::Switch(Rect frame) : Control(std::make_unique<SwitchImpl>())
{
    setFrame({ frame.x, frame.y, 94, 27 });
}

bool Switch::isOn() const { return simpl(*this).on; }

void Switch::setOn(bool on, bool)
{
    simpl(*this).on = on;
    impl().widget->update();
}

void Switch::simulateUserSet(bool on)
{
    if (!isEnabled() || simpl(*this).on == on)
        return;
    setOn(on);
    if (onValueChanged) {
        auto action = onValueChanged;
        action(*this); // may destroy the switch: nothing touched after
    }
}

}
