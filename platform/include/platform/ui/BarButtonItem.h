#pragma once
// One item of a toolbar: a system item the platform draws (flexible space,
// refresh, action, done), an image, or a view of the caller's. It has a width,
// an enabled state, an action and an accessibility label that screen readers
// read. It is not a view: the toolbar that shows it places and draws it.

#include "platform/ui/Geometry.h"
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class Image;
class Toolbar;
class View;

class BarButtonItem {
public:
    enum class SystemItem { Done, FlexibleSpace, Refresh, Action };
    enum class Style { Plain, Bordered, Done };

    static std::unique_ptr<BarButtonItem> systemItem(SystemItem item);
    static std::unique_ptr<BarButtonItem> imageItem(std::shared_ptr<const Image> image, Style style = Style::Plain);
    // The view stays its owner's; the item only shows it.
    static std::unique_ptr<BarButtonItem> customViewItem(View& view);
    ~BarButtonItem();
    BarButtonItem(const BarButtonItem&) = delete;
    BarButtonItem& operator=(const BarButtonItem&) = delete;

    std::optional<SystemItem> systemKind() const;
    bool isFlexibleSpace() const { return systemKind() == SystemItem::FlexibleSpace; }
    std::shared_ptr<const Image> image() const;
    View* customView() const; // non-owning

    Style style() const;
    void setStyle(Style style);
    // Points; 0 lets the item take its own width.
    float width() const;
    void setWidth(float width);
    bool isEnabled() const;
    void setEnabled(bool enabled);
    const std::string& accessibilityLabel() const;
    void setAccessibilityLabel(const std::string& label);
    // Whether assistive technology sees the item at all (on by default).
    bool isAccessibilityElement() const;
    void setIsAccessibilityElement(bool on);

    // The toolbar showing the item, if any (non-owning), and where it placed it.
    Toolbar* toolbar() const;
    Rect frame() const;

    // Target-action: called with the item when it is pressed.
    std::function<void(BarButtonItem&)> onAction;
    // A click on the item as the user would make it; false (and nothing done)
    // when it is disabled, not shown on a toolbar, or has nothing to press.
    bool simulateTap();

    struct Impl;
    Impl& impl() const { return *impl_; }

private:
    explicit BarButtonItem(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}
