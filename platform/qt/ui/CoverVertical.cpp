#include "CoverVertical.h"

#include "platform/Clock.h"
#include "platform/RunLoop.h"

#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>

namespace platform::CoverVertical {

namespace {

double easeOut(double t) { return 1 - (1 - t) * (1 - t); }

// Moves `widget` from `from` to `to` (its top edge) over the transition, then
// runs `done`. Stops early, without `done`, when the widget goes.
class Slide final {
public:
    static void start(QWidget* widget, int from, int to, bool easeIn, std::function<void()> done)
    {
        auto slide = std::shared_ptr<Slide>(new Slide);
        slide->widget_ = widget;
        slide->from_ = from;
        slide->to_ = to;
        slide->easeIn_ = easeIn;
        slide->done_ = std::move(done);
        slide->start_ = Clock::shared().monotonic();
        widget->move(widget->x(), from);
        // The timer holds the slide; the slide ends it when the move is over.
        slide->timer_ = Timer::repeating(1.0 / 60, [slide](Timer& t) { slide->step(t); });
    }

private:
    void step(Timer& t)
    {
        double p = std::clamp((Clock::shared().monotonic() - start_) / kSeconds, 0.0, 1.0);
        double eased = easeIn_ ? p * p : easeOut(p);
        if (widget_)
            widget_->move(widget_->x(), int(std::lround(from_ + (to_ - from_) * eased)));
        if (p < 1 && widget_)
            return;
        t.invalidate();
        // The timer is running this very call: keep it until the next turn.
        std::shared_ptr<Timer> keep(std::move(timer_));
        auto done = std::move(done_);
        bool finished = !widget_.isNull();
        RunLoop::main().post([keep] { });
        if (finished && done)
            done();
    }

    QPointer<QWidget> widget_;
    int from_ = 0, to_ = 0;
    bool easeIn_ = false;
    double start_ = 0;
    std::function<void()> done_;
    std::unique_ptr<Timer> timer_;
};

// A picture of a dismissed view, drawn over the window while it slides away.
class Picture final : public QWidget {
public:
    Picture(QWidget* parent, QPixmap pixmap) : QWidget(parent), pixmap_(std::move(pixmap))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(rect(), pixmap_);
    }

private:
    QPixmap pixmap_;
};

bool drawn(QWidget* widget)
{
    return widget && widget->parentWidget() && widget->isVisible() && !Clock::shared().isVirtual();
}

}

void slideIn(QWidget* widget)
{
    if (!drawn(widget))
        return;
    int to = widget->y();
    Slide::start(widget, widget->parentWidget()->height(), to, false, [w = QPointer<QWidget>(widget), to] {
        if (w)
            w->move(w->x(), to);
    });
}

void slideOut(QWidget* widget)
{
    if (!drawn(widget))
        return;
    QWidget* parent = widget->parentWidget();
    auto* picture = new Picture(parent, widget->grab()); // owned by the window's widget until it deletes itself
    picture->setGeometry(widget->geometry());
    picture->raise();
    picture->show();
    Slide::start(picture, picture->y(), parent->height(), true, [p = QPointer<QWidget>(picture)] {
        if (p)
            p->deleteLater();
    });
}

}
