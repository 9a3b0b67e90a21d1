#pragma once
// A bar of items across a screen, drawn in its tint: the items it is given,
// left to right, fixed widths first and flexible spaces sharing the rest. It
// owns none of its items; an item that goes away leaves the bar by itself.

#include "platform/ui/View.h"
#include <string>
#include <vector>

namespace platform {

class BarButtonItem;

class Toolbar : public View {
public:
    Toolbar();
    explicit Toolbar(Rect frame);
    ~Toolbar() override;

    // Non-owning; replaces what was shown. One flexible space item may
    // stand in several places.
    void setItems(const std::vector<BarButtonItem*>& items);
    const std::vector<BarButtonItem*>& items() const;
    void setTintColor(Color color);
    Color tintColor() const;

    // What assistive technology reads on the bar, left to right, as the
    // toolkit's accessibility interface reports it.
    struct AccessibleElement {
        std::string name;
        std::string role;
        bool enabled = false;
        bool operator==(const AccessibleElement&) const = default;
    };
    std::vector<AccessibleElement> accessibleElements() const;
};

}
