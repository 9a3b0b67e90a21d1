#include "ViewImpl.h"
#include "platform/RunLoop.h"
#include "platform/ui/Controls.h"
#include <cmath>

namespace platform {

namespace {
struct IndicatorImpl final : View::Impl {
    explicit IndicatorImpl(ActivityIndicator::Style s) : View::Impl(new BaseWidget, Pointer::PassedThrough), style(s) { }
    ~IndicatorImpl() override
    {
        timer.reset();
        releaseWidget();
    }

    void paintContent(QPainter& painter, const QRectF& r) override;

    ActivityIndicator::Style style;
    bool animating = false;
    bool hidesWhenStopped = true;
    int phase = 0;
    std::unique_ptr<Timer> timer;
};

void IndicatorImpl::paintContent(QPainter& painter, const QRectF& r)
{
    if (!animating && hidesWhenStopped)
        return;
    QColor base = style == ActivityIndicator::Style::Gray ? QColor(90, 90, 90) : QColor(255, 255, 255);
    double radius = std::min(r.width(), r.height()) / 2;
    QPointF c = r.center();
    for (int i = 0; i < 12; ++i) {
        QColor col = base;
        col.setAlphaF(0.25 + 0.75 * double((i + phase) % 12) / 11.0);
        painter.setPen(QPen(col, std::max(1.5, radius / 5), Qt::SolidLine, Qt::RoundCap));
        double a = i * 3.14159265358979 / 6;
        painter.drawLine(QPointF(c.x() + std::cos(a) * radius * 0.5, c.y() + std::sin(a) * radius * 0.5),
            QPointF(c.x() + std::cos(a) * radius * 0.95, c.y() + std::sin(a) * radius * 0.95));
    }
}

IndicatorImpl& aimpl(const ActivityIndicator& a) { return static_cast<IndicatorImpl&>(a.impl()); }
}

ActivityIndicator::ActivityIndicator(Style style) : View(std::make_unique<IndicatorImpl>(style))
{
    float side = style == Style::WhiteLarge ? 37 : 20;
    setFrame({ 0, 0, side, side });
}

void ActivityIndicator::startAnimating()
{
    auto& a = aimpl(*this);
    if (a.animating)
        return;
    a.animating = true;
    IndicatorImpl* p = &a;
    a.timer = Timer::repeating(1.0 / 12, [p](Timer&) {
        p->phase = (p->phase + 1) % 12;
        if (p->widget)
            p->widget->update();
    });
    impl().widget->update();
}

void ActivityIndicator::stopAnimating()
{
    auto& a = aimpl(*this);
    a.animating = false;
    a.timer.reset();
    impl().widget->update();
}

bool ActivityIndicator::isAnimating() const { return aimpl(*this).animating; }

void ActivityIndicator::setHidesWhenStopped(bool h)
{
    aimpl(*this).hidesWhenStopped = h;
    impl().widget->update();
}

}
