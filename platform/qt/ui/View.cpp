#include "ViewImpl.h"
#include "QtConvert.h"
#include "platform/ui/Controls.h"
#include <QPaintEvent>
#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace platform {

namespace {
constexpr double kPi = 3.14159265358979323846;

// The on-screen box of a frame turned about its centre.
QRect turnedBox(Rect f, float radians)
{
    double w = std::max(0.0f, f.width), h = std::max(0.0f, f.height);
    double c = std::abs(std::cos(double(radians))), s = std::abs(std::sin(double(radians)));
    double bw = w * c + h * s, bh = w * s + h * c;
    double cx = double(f.x) + w / 2, cy = double(f.y) + h / 2;
    auto clampInt = [](double v) {
        if (!std::isfinite(v))
            return 0;
        return int(std::lround(std::clamp(v, -1.0e6, 1.0e6)));
    };
    int x = clampInt(cx - bw / 2), y = clampInt(cy - bh / 2);
    return QRect(x, y, std::max(0, clampInt(bw)), std::max(0, clampInt(bh)));
}
}

// ---- Impl

View::Impl::Impl(QWidget* w, Pointer pointer) : widget(w)
{
    qtui::installAccessibility();
    if (widget && pointer == Pointer::PassedThrough)
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (auto* b = dynamic_cast<BaseWidget*>(widget))
        b->impl = this;
}

View::Impl::~Impl() { releaseWidget(); }

void View::Impl::releaseWidget()
{
    if (!widget)
        return;
    if (auto* b = dynamic_cast<BaseWidget*>(widget))
        b->impl = nullptr;
    QWidget* w = widget;
    widget = nullptr;
    delete w;
}

double View::Impl::scale() const
{
    if (topLevel)
        return windowScale;
    for (View* p = parent; p; p = p->impl().parent)
        if (p->impl().topLevel)
            return p->impl().windowScale;
    return 1;
}

void View::Impl::applyGeometry()
{
    if (!widget)
        return;
    if (topLevel) {
        // The window keeps its scale across a turn of the device unless the
        // desktop holds its size (full screen, maximised): then the points
        // are fitted into that size again.
        if (widget->windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized)) {
            relayoutWindow();
        } else {
            QSize want(std::max(1, int(std::lround(frame.width * windowScale))),
                std::max(1, int(std::lround(frame.height * windowScale))));
            if (widget->size() == want)
                relayoutWindow();
            else
                widget->resize(want); // the window widget relays out on its resize
        }
        widget->update();
        return;
    }
    const double s = scale();
    QPointF origin = parent && parent->impl().topLevel ? parent->impl().windowOrigin : QPointF();
    Rect scaled { float(frame.x * s + origin.x()), float(frame.y * s + origin.y()), float(frame.width * s),
        float(frame.height * s) };
    widget->setGeometry(turnedBox(scaled, rotation));
    widget->update();
}

void View::Impl::applyGeometryTree()
{
    applyGeometry();
    scaleChanged();
    for (View* child : children)
        child->impl().applyGeometryTree();
}

void View::Impl::relayoutWindow()
{
    if (!widget || frame.width <= 0 || frame.height <= 0)
        return;
    const QSize size = widget->size();
    double s = std::min(size.width() / double(frame.width), size.height() / double(frame.height));
    if (!std::isfinite(s) || s <= 0)
        s = 1;
    windowScale = s;
    windowOrigin = QPointF((size.width() - frame.width * s) / 2, (size.height() - frame.height * s) / 2);
    for (View* child : children)
        child->impl().applyGeometryTree();
    widget->update();
}

void View::Impl::applyVisibility()
{
    if (!widget)
        return;
    bool want = !hidden && alpha > 0.01f;
    if (widget->parentWidget() || (topLevel && topLevelShown))
        widget->setVisible(want);
}

QPointF View::Impl::toViewPoint(QPointF widgetPoint) const
{
    auto* base = dynamic_cast<BaseWidget*>(widget);
    return base ? base->toViewPoint(widgetPoint) : widgetPoint;
}

void View::Impl::backgroundChanged()
{
    if (widget)
        widget->update();
}

// ---- BaseWidget

namespace {
std::unordered_set<const QObject*>& liveBaseWidgets()
{
    static std::unordered_set<const QObject*> widgets;
    return widgets;
}
}

BaseWidget::BaseWidget(QWidget* parent) : QWidget(parent) { liveBaseWidgets().insert(static_cast<QObject*>(this)); }

BaseWidget::~BaseWidget() { liveBaseWidgets().erase(static_cast<QObject*>(this)); }

BaseWidget* BaseWidget::fromObject(QObject* object)
{
    if (!object || !liveBaseWidgets().count(object))
        return nullptr;
    return static_cast<BaseWidget*>(static_cast<QWidget*>(object));
}

QTransform BaseWidget::contentTransform() const
{
    QTransform t;
    if (!impl)
        return t;
    const double s = impl->scale();
    if (impl->topLevel) {
        t.translate(impl->windowOrigin.x(), impl->windowOrigin.y());
        t.scale(s, s);
        return t;
    }
    if (impl->rotation == 0 && s == 1)
        return t;
    t.translate(width() / 2.0, height() / 2.0);
    t.rotateRadians(impl->rotation);
    t.scale(s, s);
    t.translate(-impl->frame.width / 2.0, -impl->frame.height / 2.0);
    return t;
}

QPointF BaseWidget::toViewPoint(QPointF p) const
{
    bool ok = true;
    QTransform inv = contentTransform().inverted(&ok);
    return ok ? inv.map(p) : p;
}

void BaseWidget::paintEvent(QPaintEvent*)
{
    if (!impl)
        return;
    QPainter painter(this);
    if (impl->topLevel)
        painter.fillRect(rect(), Qt::black); // around the points when the aspects differ
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(std::clamp(impl->alpha, 0.0f, 1.0f));
    painter.setTransform(contentTransform());
    QRectF content(0, 0, std::max(0.0f, impl->frame.width), std::max(0.0f, impl->frame.height));
    if (impl->background.alpha > 0)
        painter.fillRect(content, qtui::toQColor(impl->background));
    paintContent(painter, content);
}

void BaseWidget::paintContent(QPainter& painter, const QRectF& r)
{
    if (impl)
        impl->paintContent(painter, r);
}

void BaseWidget::mousePressEvent(QMouseEvent* e)
{
    impl ? impl->mousePress(e) : e->ignore();
}

void BaseWidget::mouseMoveEvent(QMouseEvent* e)
{
    impl ? impl->mouseMove(e) : e->ignore();
}

void BaseWidget::mouseReleaseEvent(QMouseEvent* e)
{
    impl ? impl->mouseRelease(e) : e->ignore();
}

void BaseWidget::wheelEvent(QWheelEvent* e)
{
    impl ? impl->wheel(e) : e->ignore();
}

// ---- View

View::View() : View(Rect {}) { }

View::View(Rect frame) : View(std::make_unique<Impl>(new BaseWidget))
{
    setFrame(frame);
}

View::View(std::unique_ptr<Impl> impl) : impl_(std::move(impl))
{
    impl_->self = this;
    // Our widgets paint their own background colour, clear by default.
    if (dynamic_cast<BaseWidget*>(impl_->widget))
        impl_->widget->setAttribute(Qt::WA_NoSystemBackground);
}

View::~View()
{
    // Children live on with their owners: take their widgets back first so
    // that deleting ours never deletes theirs.
    for (View* child : impl_->children) {
        child->impl_->parent = nullptr;
        if (child->impl_->widget)
            child->impl_->widget->setParent(nullptr);
    }
    impl_->children.clear();
    removeFromSuperview();
    impl_.reset();
}

Rect View::frame() const { return impl_->frame; }

void View::setFrame(Rect frame)
{
    Rect old = impl_->frame;
    impl_->frame = frame;
    impl_->applyGeometry();
    impl_->frameChanged();
    float dw = frame.width - old.width, dh = frame.height - old.height;
    if (dw == 0 && dh == 0)
        return;
    // Children follow the size change according to their autoresizing masks:
    // the change is shared among the flexible parts in proportion to their
    // sizes (equally when they are all empty), as the handheld does, so that
    // a bar pinned to the bottom with flexible margins and height keeps its
    // place and shrinks with the screen rather than losing its height.
    for (View* child : impl_->children) {
        unsigned m = child->impl_->autoresizing;
        if (m == AutoresizingNone)
            continue;
        Rect c = child->impl_->frame;
        auto share = [](float delta, float oldParent, bool a, bool b, bool mid, float& lead, float& size) {
            int parts = int(a) + int(b) + int(mid);
            if (parts == 0)
                return;
            float trail = oldParent - lead - size;
            float sizes[3] = { a ? std::max(0.0f, lead) : 0, mid ? std::max(0.0f, size) : 0, b ? std::max(0.0f, trail) : 0 };
            float total = sizes[0] + sizes[1] + sizes[2];
            float leadShare = total > 0 ? delta * sizes[0] / total : (a ? delta / float(parts) : 0);
            float sizeShare = total > 0 ? delta * sizes[1] / total : (mid ? delta / float(parts) : 0);
            lead += leadShare;
            size += sizeShare;
        };
        share(dw, old.width, m & AutoresizingFlexibleLeftMargin, m & AutoresizingFlexibleRightMargin,
            m & AutoresizingFlexibleWidth, c.x, c.width);
        share(dh, old.height, m & AutoresizingFlexibleTopMargin, m & AutoresizingFlexibleBottomMargin,
            m & AutoresizingFlexibleHeight, c.y, c.height);
        child->setFrame(c);
    }
}

void View::addSubview(View& child) { insertSubviewAtIndex(child, int(impl_->children.size())); }

void View::insertSubviewAtIndex(View& child, int index)
{
    if (&child == this)
        return;
    // A view cannot become a subview of its own descendant.
    for (View* p = impl_->parent; p; p = p->impl_->parent)
        if (p == &child)
            return;
    if (child.impl_->parent == this) {
        auto& v = impl_->children;
        v.erase(std::find(v.begin(), v.end(), &child));
    } else {
        child.removeFromSuperview();
        if (child.impl_->widget && impl_->widget)
            child.impl_->widget->setParent(impl_->widget);
    }
    auto& v = impl_->children;
    index = std::clamp(index, 0, int(v.size()));
    v.insert(v.begin() + index, &child);
    child.impl_->parent = this;
    // Qt stacks siblings by raise order: restack from back to front.
    for (View* c : v)
        if (c->impl_->widget)
            c->impl_->widget->raise();
    // A view added under an open alert must not cover it: the alert would be
    // hidden and yet answer Return.
    if (impl_->widget)
        for (QObject* o : impl_->widget->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && w->property(kStaysOnTopProperty).toBool())
                w->raise();
    child.impl_->applyGeometry();
    child.impl_->applyVisibility();
}

void View::removeFromSuperview()
{
    View* p = impl_->parent;
    if (!p)
        return;
    auto& v = p->impl_->children;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    impl_->parent = nullptr;
    if (impl_->widget) {
        impl_->widget->hide();
        impl_->widget->setParent(nullptr);
    }
}

void View::bringSubviewToFront(View& child)
{
    if (child.impl_->parent != this)
        return;
    auto& v = impl_->children;
    v.erase(std::find(v.begin(), v.end(), &child));
    v.push_back(&child);
    if (child.impl_->widget)
        child.impl_->widget->raise();
}

View* View::superview() const { return impl_->parent; }
const std::vector<View*>& View::subviews() const { return impl_->children; }

void View::setBackgroundColor(Color c)
{
    impl_->background = c;
    impl_->backgroundChanged();
}
Color View::backgroundColor() const { return impl_->background; }
void View::setOpaque(bool o)
{
    impl_->opaque = o;
    impl_->backgroundChanged(); // views that draw through another engine follow it
}
bool View::isOpaque() const { return impl_->opaque; }

void View::setClipsToBounds(bool c)
{
    // Qt always clips children to their parent; nothing else to do.
    impl_->clips = c;
}

void View::setUserInteractionEnabled(bool e)
{
    impl_->interaction = e;
    if (impl_->widget)
        impl_->widget->setAttribute(Qt::WA_TransparentForMouseEvents, !e);
}
bool View::isUserInteractionEnabled() const { return impl_->interaction; }

void View::setHidden(bool h)
{
    impl_->hidden = h;
    impl_->applyVisibility();
}
bool View::isHidden() const { return impl_->hidden; }

void View::setAlpha(float a)
{
    if (!std::isfinite(a))
        a = 1;
    impl_->alpha = std::clamp(a, 0.0f, 1.0f);
    impl_->applyVisibility();
    if (impl_->widget)
        impl_->widget->update();
}
float View::alpha() const { return impl_->alpha; }

void View::setAutoresizingMask(unsigned mask) { impl_->autoresizing = mask; }
unsigned View::autoresizingMask() const { return impl_->autoresizing; }

void View::setTransformRotation(float radians)
{
    if (!std::isfinite(radians))
        radians = 0;
    // Keep it within one turn so that the drawing stays exact for quarter turns.
    double r = std::fmod(double(radians), 2 * kPi);
    impl_->rotation = std::abs(r) < 1e-9 ? 0.0f : float(r);
    impl_->applyGeometry();
}
float View::transformRotation() const { return impl_->rotation; }

void View::setToolTip(const std::string& text)
{
    impl_->toolTip = text;
    if (impl_->widget)
        impl_->widget->setToolTip(QString::fromStdString(text));
}
const std::string& View::toolTip() const { return impl_->toolTip; }

void View::setAccessibilityLabel(const std::string& label)
{
    if (impl_->accessibilityLabel == label)
        return;
    impl_->accessibilityLabel = label;
    if (impl_->widget) {
        impl_->widget->setAccessibleName(QString::fromStdString(label)); // toolkit widgets of their own
        qtui::accessibleNameChanged(impl_->widget);
    }
}
const std::string& View::accessibilityLabel() const { return impl_->accessibilityLabel; }

void View::setObjectName(const std::string& name)
{
    impl_->name = name;
    if (impl_->widget)
        impl_->widget->setObjectName(QString::fromStdString(name));
}
const std::string& View::objectName() const { return impl_->name; }

View* View::findByName(const std::string& name)
{
    if (impl_->name == name)
        return this;
    for (View* c : impl_->children)
        if (View* found = c->findByName(name))
            return found;
    return nullptr;
}

// ---- Control

void Control::setEnabled(bool e)
{
    impl().enabled = e;
    if (impl().widget) {
        impl().widget->setEnabled(e);
        impl().widget->update();
    }
}

bool Control::isEnabled() const { return impl().enabled; }

}
