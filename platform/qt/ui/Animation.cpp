#include "platform/ui/Animation.h"
#include "ViewImpl.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "platform/ui/View.h"
#include <QPixmap>
#include <QPointer>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

namespace platform::Animation {

namespace {
struct Block {
    std::string name;
    double duration = 0.2;
    AnimationTransition transition = AnimationTransition::None;
    std::function<void(const std::string&, bool)> didStop;
    QPointer<QWidget> flipTarget;
    QPixmap before;
};

// Draws a flip over a view on screen: the old picture turns away about the
// vertical axis, the new one turns in. Only on the real clock; on a virtual
// clock (tests, automation) the change shows at once, so that a picture taken
// right after it shows the new content.
class FlipOverlay final : public QWidget {
public:
    FlipOverlay(QWidget* target, QPixmap before, QPixmap after, bool fromLeft, double duration)
        : QWidget(target), before_(std::move(before)), after_(std::move(after)), fromLeft_(fromLeft),
          duration_(std::max(0.05, duration)), start_(Clock::shared().monotonic())
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(target->rect());
        raise();
        show();
        timer_ = Timer::repeating(1.0 / 60, [this](Timer& t) {
            update();
            if (progress() >= 1) {
                t.invalidate();
                hide();
                deleteLater(); // not from inside the timer that is running
            }
        });
    }

private:
    double progress() const { return std::clamp((Clock::shared().monotonic() - start_) / duration_, 0.0, 1.0); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.fillRect(rect(), Qt::black);
        double t = progress();
        double angle = (t < 0.5 ? t : t - 1) * 180 * (fromLeft_ ? 1 : -1);
        const QPixmap& pic = t < 0.5 ? before_ : after_;
        QTransform turn;
        turn.translate(width() / 2.0, height() / 2.0);
        turn.rotate(angle, Qt::YAxis);
        turn.translate(-width() / 2.0, -height() / 2.0);
        p.setTransform(turn);
        p.drawPixmap(rect(), pic);
    }

    QPixmap before_, after_;
    bool fromLeft_;
    double duration_, start_;
    std::unique_ptr<Timer> timer_;
};

// Model values change at once, so a block is only bookkeeping: its record,
// and the did-stop call after its duration.
struct State {
    std::vector<Block> open;
    std::vector<Record> history;
    std::list<std::unique_ptr<Timer>> pending;
};

// Never destroyed: pending timers must not outlive the run loop at exit.
State& state()
{
    static State& s = *new State;
    return s;
}
}

void begin(const std::string& name) { Block b;
    b.name = name;
    state().open.push_back(std::move(b)); }

void setDuration(double seconds)
{
    if (state().open.empty())
        return;
    state().open.back().duration = std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0;
}

void setTransition(AnimationTransition transition, View& forView, bool)
{
    if (state().open.empty())
        return;
    Block& b = state().open.back();
    b.transition = transition;
    QWidget* w = forView.impl().widget;
    bool flip = transition == AnimationTransition::FlipFromLeft || transition == AnimationTransition::FlipFromRight;
    if (flip && w && w->isVisible() && !Clock::shared().isVirtual()) {
        b.flipTarget = w;
        b.before = w->grab();
    }
}

void setDidStopHandler(std::function<void(const std::string& name, bool finished)> handler)
{
    if (!state().open.empty())
        state().open.back().didStop = std::move(handler);
}

void commit()
{
    auto& s = state();
    if (s.open.empty())
        return; // a commit without a begin does nothing
    Block b = std::move(s.open.back());
    s.open.pop_back();
    s.history.push_back(Record { b.name, b.duration, b.transition });
    if (b.flipTarget && !b.before.isNull())
        new FlipOverlay(b.flipTarget, b.before, b.flipTarget->grab(),
            b.transition == AnimationTransition::FlipFromLeft, b.duration); // owned by its target widget
    if (!b.didStop)
        return;
    auto it = s.pending.insert(s.pending.end(), nullptr);
    auto handler = std::move(b.didStop);
    std::string name = b.name;
    *it = Timer::singleShot(b.duration, [it, handler, name](Timer&) {
        // Keep the running timer alive until the next turn, then call.
        std::shared_ptr<Timer> keep(std::move(*it));
        state().pending.erase(it);
        RunLoop::main().post([keep] { });
        handler(name, true);
    });
}

const std::vector<Record>& history() { return state().history; }

void clearHistory() { state().history.clear(); }

}
