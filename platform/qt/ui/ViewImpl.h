#pragma once
// The toolkit side of a View: the widget it draws with, its place in the view
// tree and its plain properties. Does not own other views, only its widget.

#include "platform/ui/View.h"
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class BaseWidget;

// A widget with this property set is drawn over the views beside it (an
// alert's dimmed layer): restacking the views puts it back on top.
inline constexpr const char* kStaysOnTopProperty = "tolvaneStaysOnTop";

struct View::Impl {
    // Whether the widget takes pointer events or lets them through to the
    // view below (labels, images and spinners only show things).
    enum class Pointer { Taken, PassedThrough };
    explicit Impl(QWidget* widget, Pointer pointer = Pointer::Taken);
    virtual ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Owned. Deleted by releaseWidget(), which every derived Impl calls first in
    // its destructor so the widget never outlives the data it draws from.
    QWidget* widget = nullptr;
    View* self = nullptr;   // the View this belongs to; non-owning
    View* parent = nullptr; // non-owning
    std::vector<View*> children; // non-owning, back to front

    Rect frame;
    Color background = Color::clear();
    bool opaque = true;
    bool clips = false;
    bool interaction = true;
    bool hidden = false;
    bool enabled = true;
    float alpha = 1;
    float rotation = 0;
    unsigned autoresizing = AutoresizingNone;
    std::string name;
    std::string toolTip;
    std::string accessibilityLabel;
    // A top-level view (the window) shows its widget itself once made visible.
    bool topLevel = false;
    bool topLevelShown = false;

    void applyGeometry();
    // This view's geometry and its subviews', after the window's scale changed.
    void applyGeometryTree();
    // The window's: fits its points into the widget's size and places every
    // view again.
    void relayoutWindow();
    void applyVisibility();
    // Pixels per point of the window this view is in (1 outside any window):
    // the window scales its 320 x 480 points to whatever size it is given.
    double scale() const;
    // The window's own: its scale and where its points start inside it (the
    // points keep their aspect and are centred, the rest is black).
    double windowScale = 1;
    QPointF windowOrigin;
    void releaseWidget();
    // Hook for widgets that keep their own colours (the text view).
    virtual void backgroundChanged();
    // Called after the frame changed, before children are resized.
    virtual void frameChanged() { }
    // Called when the window's scale changed; toolkit widgets that keep
    // their own fonts or sizes follow it here.
    virtual void scaleChanged() { }

    // What a view drawn by a BaseWidget draws and how it takes the pointer:
    // the widget calls these, so a control is its Impl alone, with no widget
    // class of its own. The defaults draw nothing and leave the pointer to
    // the view below.
    // Content in the view's own coordinates: (0, 0, frame width, frame height).
    virtual void paintContent(QPainter&, const QRectF&) { }
    virtual void mousePress(QMouseEvent* e) { e->ignore(); }
    virtual void mouseMove(QMouseEvent* e) { e->ignore(); }
    virtual void mouseRelease(QMouseEvent* e) { e->ignore(); }
    virtual void wheel(QWheelEvent* e) { e->ignore(); }
    // Maps a position on the widget to the view's own (unturned) coordinates.
    QPointF toViewPoint(QPointF widgetPoint) const;

    // For screen readers: the kind of control, its own text when it has no
    // accessibility label, a value, and parts that are not views.
    virtual std::string accessibleRole() const { return children.empty() ? "view" : "group"; }
    virtual std::string accessibleText() const { return {}; }
    virtual std::string accessibleValue() const { return {}; }
    virtual int accessiblePartCount() { return 0; }
    virtual std::string accessiblePartName(int) { return {}; }
    virtual std::string accessiblePartValue(int) { return {}; }
    virtual QRectF accessiblePartRect(int) { return {}; }
};

// The widget behind plain views and most controls: paints the background
// colour and then the content, turned by the view's rotation about its centre,
// and hands drawing and the pointer to its view's Impl.
class BaseWidget : public QWidget {
public:
    explicit BaseWidget(QWidget* parent = nullptr);
    ~BaseWidget() override;
    // Whether this object is one of ours, asked without touching it: the
    // toolkit hands accessibility any object, including the web engine's,
    // which carry no type information to cast with.
    static BaseWidget* fromObject(QObject* object);
    // Set by View::Impl when it takes the widget and cleared by releaseWidget(),
    // before the Impl's own data goes; non-owning.
    View::Impl* impl = nullptr;

    // Maps a widget position to the view's own (unturned) coordinates.
    QPointF toViewPoint(QPointF widgetPoint) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    // The Impl's content; widgets with content of their own replace it.
    virtual void paintContent(QPainter& painter, const QRectF& r);
    QTransform contentTransform() const;
};

}
