#pragma once
// The toolkit side of a View: the widget it draws with, its place in the view
// tree and its plain properties. Does not own other views, only its widget.

#include "platform/ui/View.h"
#include <QPainter>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class BaseWidget;

struct View::Impl {
    explicit Impl(QWidget* widget);
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
    // A top-level view (the window) shows its widget itself once made visible.
    bool topLevel = false;
    bool topLevelShown = false;

    void applyGeometry();
    void applyVisibility();
    void releaseWidget();
    // Hook for widgets that keep their own colours (the text view).
    virtual void backgroundChanged();
    // Called after the frame changed, before children are resized.
    virtual void frameChanged() { }
};

// The widget behind plain views and most controls: paints the background
// colour and then the content, turned by the view's rotation about its centre.
class BaseWidget : public QWidget {
public:
    explicit BaseWidget(QWidget* parent = nullptr);
    View::Impl* impl = nullptr; // non-owning; cleared before the Impl goes away

protected:
    void paintEvent(QPaintEvent*) override;
    // Content in the view's own coordinates: (0, 0, frame width, frame height).
    virtual void paintContent(QPainter&, const QRectF&) { }
    // Maps a widget position to the view's own (unturned) coordinates.
    QPointF toViewPoint(QPointF widgetPoint) const;
    QTransform contentTransform() const;
};

}
