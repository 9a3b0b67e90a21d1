#include "QtConvert.h"
#include "ViewImpl.h"
#include "platform/Lifetime.h"
#include "platform/RunLoop.h"
#include "platform/ui/Controls.h"
#include "platform/ui/PickerView.h"
#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPixmap>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {
// A data source answering nonsense (a million wheels) must not take the
// program down with it.
constexpr int kMaxComponents = 64;
constexpr double kDragThreshold = 4;

struct PickerImpl final : View::Impl {
    PickerImpl() : View::Impl(new BaseWidget) { }
    ~PickerImpl() override
    {
        wheelRest.reset();
        releaseWidget();
    }

    void paintContent(QPainter& painter, const QRectF& r) override;
    void mousePress(QMouseEvent* e) override;
    void mouseMove(QMouseEvent* e) override;
    void mouseRelease(QMouseEvent* e) override;
    void wheel(QWheelEvent* e) override;

    PickerView& owner() const { return *static_cast<PickerView*>(self); }

    std::string accessibleRole() const override { return "picker"; }
    int accessiblePartCount() override { ensureLoaded(); return int(counts.size()); }
    std::string accessiblePartName(int k) override
    {
        std::string name = delegate ? delegate->accessibilityLabelForComponent(owner(), k) : std::string();
        return name.empty() ? "Wheel " + std::to_string(k + 1) + ", " + accessiblePartValue(k) : name;
    }
    std::string accessiblePartValue(int k) override
    {
        return valid(k) && counts[size_t(k)] > 0 ? owner().textForRow(selected[size_t(k)], k) : std::string();
    }
    QRectF accessiblePartRect(int k) override
    {
        if (!valid(k))
            return {};
        double w = double(frame.width) / double(counts.size());
        return QRectF(k * w, 0, w, frame.height);
    }
    // Screen readers hear of a wheel whose total changed.
    void selectionChanged(int k)
    {
        if (widget)
            qtui::accessibleNameChanged(widget, k);
    }

    Lifetime lifetime;

    int askComponents()
    {
        int n = dataSource ? dataSource->numberOfComponentsInPickerView(owner()) : 0;
        return std::clamp(n, 0, kMaxComponents);
    }
    int askRows(int k) { return dataSource ? std::max(0, dataSource->numberOfRowsInComponent(owner(), k)) : 0; }

    void ensureLoaded()
    {
        if (!loaded)
            reloadAll();
    }
    void reloadAll()
    {
        loaded = true;
        // Whatever the wheels were turned to before the reload meant rows of
        // the old data; none of it is reported now, and a drag on a wheel
        // that is gone ends here (later moves would read past the wheels).
        dropWheel(-1);
        dragComponent = -1;
        int n = askComponents();
        // New components start at row 0; existing ones keep their row.
        counts.resize(size_t(n), 0);
        selected.resize(size_t(n), 0);
        for (int k = 0; k < n && k < int(counts.size()); ++k)
            reload(k);
    }
    void reload(int k)
    {
        if (k < 0 || k >= int(counts.size()))
            return;
        dropWheel(k);
        int rows = askRows(k);
        // The data source may have reloaded us meanwhile.
        if (k >= int(counts.size()))
            return;
        counts[size_t(k)] = rows;
        selected[size_t(k)] = std::clamp(selected[size_t(k)], 0, std::max(0, rows - 1));
        if (dragComponent == k)
            dragComponent = -1;
        if (widget)
            widget->update();
    }
    bool valid(int k) const { return k >= 0 && k < int(counts.size()); }

    // A mouse-wheel turn not yet reported on wheel `k` (any wheel: -1) is
    // forgotten: the program has changed that wheel since, and its change
    // wins, as it does over a drag. Reported late, the old turn would be read
    // as a choice among the new rows.
    void dropWheel(int k)
    {
        if (wheelComponent < 0 || (k >= 0 && wheelComponent != k))
            return;
        wheelRest.reset();
        wheelComponent = -1;
        wheelRemainder = 0;
    }

    float rowHeight(int k)
    {
        float h = delegate ? delegate->rowHeightForComponent(owner(), k) : 44;
        return std::isfinite(h) ? std::clamp(h, 4.0f, 500.0f) : 44.0f;
    }
    int componentAt(double x) const
    {
        if (counts.empty() || frame.width <= 0)
            return -1;
        int k = int(x / (double(frame.width) / double(counts.size())));
        return valid(k) ? k : -1;
    }

    // The wheel has come to rest on `row`: select it and tell the delegate.
    // The delegate may destroy the picker, so this is the last thing done.
    void settle(int k, int row)
    {
        if (!valid(k) || counts[size_t(k)] == 0)
            return;
        row = std::clamp(row, 0, counts[size_t(k)] - 1);
        selected[size_t(k)] = row;
        if (widget)
            widget->update();
        selectionChanged(k);
        if (delegate)
            delegate->didSelectRow(owner(), row, k);
    }

    PickerViewDataSource* dataSource = nullptr; // non-owning
    PickerViewDelegate* delegate = nullptr;     // non-owning
    bool loaded = false;
    std::vector<int> counts;
    std::vector<int> selected;

    int dragComponent = -1;
    double dragStartY = 0, dragStartPos = 0, dragPos = 0;
    bool dragMoved = false;
    double wheelRemainder = 0;
    int wheelComponent = -1;
    std::unique_ptr<Timer> wheelRest;
};

const Label* findLabel(const View& v)
{
    if (auto* l = dynamic_cast<const Label*>(&v))
        return l;
    for (const View* c : v.subviews())
        if (const Label* l = findLabel(*c))
            return l;
    return nullptr;
}

void PickerImpl::paintContent(QPainter& painter, const QRectF& r)
{
    ensureLoaded();
    PickerImpl* p = this;
    // The data source and delegate are asked for rows while painting; one
    // that destroys the picker ends the painting there.
    const Lifetime::Watch alive = lifetime.watch();
    painter.fillRect(r, QColor(40, 42, 50));
    int n = int(p->counts.size());
    if (n == 0)
        return;
    double colW = r.width() / n;
    double mid = r.height() / 2;
    for (int k = 0; k < n && alive; ++k) {
        QRectF col(r.left() + k * colW + 3, r.top() + 6, colW - 6, r.height() - 12);
        painter.fillRect(col, Qt::white);
        double rowH = p->rowHeight(k);
        double pos = p->dragComponent == k ? p->dragPos : p->selected[size_t(k)];
        int first = std::max(0, int(std::floor(pos - mid / rowH)) - 1);
        int last = std::min(p->counts[size_t(k)] - 1, int(std::ceil(pos + mid / rowH)) + 1);
        painter.save();
        painter.setClipRect(col);
        for (int row = first; row <= last; ++row) {
            double cy = mid + (row - pos) * rowH;
            QRectF cell(col.left(), cy - rowH / 2, col.width(), rowH);
            std::unique_ptr<View> rowView;
            if (p->delegate)
                rowView = p->delegate->viewForRow(p->owner(), row, k, nullptr);
            if (!alive)
                break;
            if (rowView && rowView->impl().widget) {
                // A row view wider than its wheel is narrowed to it, so that
                // a label fits its text to the wheel instead of losing digits
                // at both ends (a total of 1005 in a narrow wheel).
                Rect f = rowView->frame();
                const double room = std::max(1.0, cell.width() - 4); // a hair of white at each side
                double w = f.width > 0 ? std::min(double(f.width), room) : room;
                double h = f.height > 0 ? double(f.height) : rowH;
                if (w != f.width || h != f.height)
                    rowView->setFrame({ 0, 0, float(w), float(h) });
                // Drawn at the window's scale and the screen's density, so it stays crisp.
                const double density = scale() * (widget ? widget->devicePixelRatioF() : 1.0);
                QPixmap pm(std::max(1, int(std::ceil(w * density))), std::max(1, int(std::ceil(h * density))));
                pm.setDevicePixelRatio(density);
                pm.fill(Qt::transparent);
                {
                    QPainter rowPainter(&pm);
                    auto* base = dynamic_cast<BaseWidget*>(rowView->impl().widget);
                    if (base && base->impl) {
                        rowPainter.setRenderHint(QPainter::Antialiasing);
                        rowPainter.setRenderHint(QPainter::TextAntialiasing);
                        QRectF content(0, 0, w, h);
                        if (base->impl->background.alpha > 0)
                            rowPainter.fillRect(content, qtui::toQColor(base->impl->background));
                        base->impl->paintContent(rowPainter, content);
                    }
                }
                painter.drawPixmap(QPointF(cell.center().x() - w / 2.0, cell.center().y() - h / 2.0), pm);
            } else {
                std::string title = p->delegate ? p->delegate->titleForRow(p->owner(), row, k) : std::string();
                if (!alive)
                    break;
                QFont f = qtui::toQFont(Font::boldSystemFont(20));
                painter.setFont(f);
                painter.setPen(Qt::black);
                painter.drawText(cell, Qt::AlignCenter, qtui::toQString(title));
            }
        }
        painter.restore();
        if (!alive)
            return;
        // Shading of the turning drum.
        QLinearGradient g(col.topLeft(), col.bottomLeft());
        g.setColorAt(0, QColor(0, 0, 0, 150));
        g.setColorAt(0.35, QColor(0, 0, 0, 0));
        g.setColorAt(0.65, QColor(0, 0, 0, 0));
        g.setColorAt(1, QColor(0, 0, 0, 150));
        painter.fillRect(col, g);
    }
    double bandH = p->rowHeight(0);
    QRectF band(r.left(), mid - bandH / 2, r.width(), bandH);
    painter.setPen(QPen(QColor(100, 110, 150), 1));
    painter.setBrush(QColor(140, 150, 220, 70));
    painter.drawRect(band);
}

void PickerImpl::mousePress(QMouseEvent* e)
{
    if (!interaction || e->button() != Qt::LeftButton)
        return;
    ensureLoaded();
    QPointF pt = toViewPoint(e->position());
    int k = componentAt(pt.x());
    if (k < 0 || counts[size_t(k)] == 0)
        return;
    dragComponent = k;
    dragStartY = pt.y();
    dragStartPos = dragPos = selected[size_t(k)];
    dragMoved = false;
}

void PickerImpl::mouseMove(QMouseEvent* e)
{
    if (dragComponent < 0)
        return;
    int k = dragComponent;
    double dy = toViewPoint(e->position()).y() - dragStartY;
    if (std::abs(dy) >= kDragThreshold)
        dragMoved = true;
    double maxPos = std::max(0, counts[size_t(k)] - 1);
    dragPos = std::clamp(dragStartPos - dy / rowHeight(k), -0.4, maxPos + 0.4);
    widget->update();
}

void PickerImpl::mouseRelease(QMouseEvent* e)
{
    if (dragComponent < 0)
        return;
    int k = dragComponent;
    dragComponent = -1;
    QPointF pt = toViewPoint(e->position());
    int row;
    if (dragMoved) {
        double dy = pt.y() - dragStartY;
        row = int(std::lround(dragStartPos - dy / rowHeight(k)));
    } else {
        // A tap on a row above or below the band turns the wheel to it.
        double offset = (pt.y() - frame.height / 2.0) / rowHeight(k);
        row = int(std::lround(dragStartPos + offset));
        if (row == selected[size_t(k)]) {
            widget->update();
            return;
        }
    }
    settle(k, row);
}

void PickerImpl::wheel(QWheelEvent* e)
{
    if (!interaction)
        return;
    ensureLoaded();
    int k = componentAt(toViewPoint(e->position()).x());
    if (k < 0 || counts[size_t(k)] == 0)
        return;
    if (k != wheelComponent) {
        // Another wheel: the one turned before comes to rest now, and is
        // reported as if its pause had run out, not lost with its timer.
        const int previous = wheelComponent;
        wheelRest.reset();
        wheelComponent = -1;
        wheelRemainder = 0;
        if (valid(previous)) {
            const Lifetime::Watch alive = lifetime.watch();
            settle(previous, selected[size_t(previous)]);
            if (!alive)
                return;
            k = componentAt(toViewPoint(e->position()).x());
            if (k < 0 || counts[size_t(k)] == 0)
                return;
        }
    }
    wheelComponent = k;
    // Turning the mouse wheel towards the user moves down the list.
    wheelRemainder += -e->angleDelta().y() / 120.0;
    int steps = int(wheelRemainder);
    wheelRemainder -= steps;
    int& sel = selected[size_t(k)];
    sel = std::clamp(sel + steps, 0, counts[size_t(k)] - 1);
    widget->update();
    e->accept();
    PickerImpl* p = this;
    p->wheelRest = Timer::singleShot(PickerView::kWheelRestSeconds, [p](Timer&) {
        // The timer runs its own callback and the delegate may destroy the
        // picker that owns it: keep it alive until the next turn.
        std::shared_ptr<Timer> keep(std::move(p->wheelRest));
        RunLoop::main().post([keep] { });
        int comp = p->wheelComponent;
        p->wheelComponent = -1;
        p->wheelRemainder = 0;
        if (p->valid(comp))
            p->settle(comp, p->selected[size_t(comp)]);
    });
}

PickerImpl& pimpl(const PickerView& v) { return static_cast<PickerImpl&>(v.impl()); }
}

PickerView::PickerView() : PickerView(Rect { 0, 0, 320, 216 }) { }
PickerView::PickerView(Rect frame) : View(std::make_unique<PickerImpl>()) { setFrame(frame); }
PickerView::~PickerView() = default;

void PickerView::setDataSource(PickerViewDataSource* dataSource)
{
    pimpl(*this).dataSource = dataSource;
    pimpl(*this).loaded = false;
    impl().widget->update();
}
void PickerView::setDelegate(PickerViewDelegate* delegate)
{
    pimpl(*this).delegate = delegate;
    impl().widget->update();
}
PickerViewDataSource* PickerView::dataSource() const { return pimpl(*this).dataSource; }
PickerViewDelegate* PickerView::delegate() const { return pimpl(*this).delegate; }

int PickerView::numberOfComponents() const
{
    pimpl(*this).ensureLoaded();
    return int(pimpl(*this).counts.size());
}

int PickerView::numberOfRowsInComponent(int component) const
{
    auto& p = pimpl(*this);
    p.ensureLoaded();
    return p.valid(component) ? p.counts[size_t(component)] : 0;
}

// An empty wheel has no selection, like a component that does not exist.
int PickerView::selectedRowInComponent(int component) const
{
    auto& p = pimpl(*this);
    p.ensureLoaded();
    if (!p.valid(component) || p.counts[size_t(component)] == 0)
        return -1;
    return p.selected[size_t(component)];
}

void PickerView::selectRow(int row, int component, bool)
{
    auto& p = pimpl(*this);
    p.ensureLoaded();
    if (!p.valid(component) || p.counts[size_t(component)] == 0)
        return;
    const int before = p.selected[size_t(component)];
    p.selected[size_t(component)] = std::clamp(row, 0, p.counts[size_t(component)] - 1);
    if (p.dragComponent == component)
        p.dragComponent = -1;
    p.dropWheel(component);
    impl().widget->update();
    if (p.selected[size_t(component)] != before)
        p.selectionChanged(component);
}

void PickerView::reloadComponent(int component)
{
    auto& p = pimpl(*this);
    if (!p.loaded) {
        p.reloadAll();
        return;
    }
    p.reload(component);
}

void PickerView::reloadAllComponents() { pimpl(*this).reloadAll(); }

std::string PickerView::textForRow(int row, int component)
{
    auto& p = pimpl(*this);
    if (!p.delegate)
        return {};
    if (auto v = p.delegate->viewForRow(*this, row, component, nullptr))
        if (const Label* l = findLabel(*v))
            return l->text();
    return p.delegate->titleForRow(*this, row, component);
}

void PickerView::simulateUserSelect(int row, int component)
{
    auto& p = pimpl(*this);
    p.ensureLoaded();
    p.settle(component, row);
}

void PickerView::simulateDrag(int component, float dy)
{
    auto& p = pimpl(*this);
    p.ensureLoaded();
    if (!p.valid(component))
        return;
    QWidget* w = impl().widget;
    const double s = impl().scale();
    double colW = double(frame().width) / double(p.counts.size());
    QPointF start((component + 0.5) * colW * s, frame().height / 2.0 * s);
    auto send = [w](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent ev(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &ev);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPointF(0, dy * s / 2.0), Qt::LeftButton);
    send(QEvent::MouseMove, start + QPointF(0, dy * s), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, start + QPointF(0, dy * s), Qt::NoButton); // may destroy us
}

void PickerView::simulateWheel(int component, int notches)
{
    auto& p = pimpl(*this);
    p.ensureLoaded();
    if (!p.valid(component) || notches == 0)
        return;
    QWidget* w = impl().widget;
    const double s = impl().scale();
    double colW = double(frame().width) / double(p.counts.size());
    QPointF at((component + 0.5) * colW * s, frame().height / 2.0 * s);
    QWheelEvent ev(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
}

}
