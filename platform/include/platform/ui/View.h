#pragma once
// A rectangle on screen with subviews, over a toolkit widget. The view tree is
// not an ownership tree: whoever creates a view owns it (usually a controller
// field); adding it to a parent only places it. Destroying a view detaches it.

#include "platform/ui/Geometry.h"
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum AutoresizingMask : unsigned {
    AutoresizingNone = 0,
    AutoresizingFlexibleLeftMargin = 1 << 0,
    AutoresizingFlexibleWidth = 1 << 1,
    AutoresizingFlexibleRightMargin = 1 << 2,
    AutoresizingFlexibleTopMargin = 1 << 3,
    AutoresizingFlexibleHeight = 1 << 4,
    AutoresizingFlexibleBottomMargin = 1 << 5,
};

class View {
public:
    View();
    explicit View(Rect frame);
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // Frame as set, relative to the superview. A rotation transform does not
    // change it (the view is drawn turned about its centre).
    Rect frame() const;
    void setFrame(Rect frame);
    Rect bounds() const { Rect f = frame(); return { 0, 0, f.width, f.height }; }

    void addSubview(View& child); // on top of the others; re-parents if needed
    void insertSubviewAtIndex(View& child, int index);
    void removeFromSuperview();
    void bringSubviewToFront(View& child);
    View* superview() const; // non-owning
    const std::vector<View*>& subviews() const; // non-owning, back to front

    void setBackgroundColor(Color c);
    Color backgroundColor() const;
    void setOpaque(bool);
    bool isOpaque() const;
    void setClipsToBounds(bool);
    void setUserInteractionEnabled(bool);
    bool isUserInteractionEnabled() const;
    void setHidden(bool);
    bool isHidden() const;
    void setAlpha(float);
    float alpha() const;
    void setAutoresizingMask(unsigned mask);
    unsigned autoresizingMask() const;
    // Rotation about the centre, in radians, clockwise on screen.
    void setTransformRotation(float radians);
    float transformRotation() const;

    // A hint shown when the pointer rests on the view (desktop only).
    void setToolTip(const std::string& text);
    const std::string& toolTip() const;

    // What a screen reader calls the view ("Player 1 plus one"); empty: the
    // control's own text (a title, a label's text). Setting a new one tells
    // screen readers of the change.
    void setAccessibilityLabel(const std::string& label);
    const std::string& accessibilityLabel() const;

    // Name used to find controls (tests, automation, accessibility).
    void setObjectName(const std::string& name);
    const std::string& objectName() const;
    // Depth-first search of this view and its subviews by name; non-owning.
    View* findByName(const std::string& name);

    struct Impl;
    Impl& impl() const { return *impl_; }

protected:
    explicit View(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

}
