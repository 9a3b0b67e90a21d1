#pragma once
// The toolkit side of a bar item: the button widget that draws and presses
// it (none for a flexible space or a view of the caller's), and where its
// toolbar placed it. Shared by the item and the toolbar.

#include "platform/ui/BarButtonItem.h"
#include <QAbstractButton>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class ItemButton;

struct BarButtonItem::Impl {
    BarButtonItem* self = nullptr; // non-owning
    std::optional<SystemItem> system;
    std::shared_ptr<const Image> image;
    View* custom = nullptr; // non-owning; must outlive the item
    Style style = Style::Plain;
    float width = 0;
    bool enabled = true;
    std::string label;
    bool accessible = true;
    Toolbar* toolbar = nullptr; // non-owning: the bar showing the item
    Rect frame;
    // Owned; made for items that are pressed (images and system items but
    // the flexible space).
    QPointer<ItemButton> button;

    ~Impl();
    // The width the item asks for: its own when set, else what it draws.
    float preferredWidth() const;
    // The widget that stands for the item on screen, if any.
    QWidget* widget() const;
    void applyAccessibility();
    void applyEnabled();
};

// Draws an item and turns clicks, keys and accessibility presses into its action.
class ItemButton final : public QAbstractButton {
public:
    explicit ItemButton(BarButtonItem::Impl* item);
    BarButtonItem::Impl* item; // non-owning; cleared when the item goes

protected:
    void paintEvent(QPaintEvent*) override;
};

}
