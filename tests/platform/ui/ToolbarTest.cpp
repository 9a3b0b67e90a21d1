// The toolbar and its items: fixed widths first and flexible spaces sharing
// the rest, presses reaching only enabled items that are shown, what screen
// readers read, and items that leave or go away.
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Image.h"
#include "platform/ui/Toolbar.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(Toolbar, FlexibleSpacesShareWhatTheFixedItemsLeave)
{
    Toolbar bar({ 0, 436, 320, 44 });
    auto back = BarButtonItem::systemItem(BarButtonItem::SystemItem::Refresh);
    back->setWidth(27);
    ActivityIndicator spinner;
    auto busy = BarButtonItem::customViewItem(spinner);
    auto done = BarButtonItem::systemItem(BarButtonItem::SystemItem::Done);
    auto space = BarButtonItem::systemItem(BarButtonItem::SystemItem::FlexibleSpace);
    bar.setItems({ back.get(), space.get(), busy.get(), space.get(), done.get() });

    for (float width : { 320.0f, 480.0f }) {
        bar.setFrame({ 0, 0, width, 44 });
        // The two spaces share alike: the middle item sits halfway between its neighbours.
        float gap1 = busy->frame().x - (back->frame().x + back->frame().width);
        float gap2 = done->frame().x - (busy->frame().x + busy->frame().width);
        EXPECT_FLOAT_EQ(gap1, gap2);
        EXPECT_FLOAT_EQ(gap1, space->frame().width);
        EXPECT_NEAR(width - (done->frame().x + done->frame().width), back->frame().x, 0.01) << "the same margin at both ends";
        EXPECT_FLOAT_EQ(back->frame().width, 27);
        EXPECT_GT(done->frame().width, 27) << "the done item takes the width of its title";
    }
    // The custom view is placed in the middle of its slot.
    Rect slot = busy->frame(), view = spinner.frame();
    EXPECT_EQ(spinner.superview(), &bar);
    EXPECT_FLOAT_EQ(view.x + view.width / 2, slot.x + slot.width / 2);
    EXPECT_FLOAT_EQ(view.y + view.height / 2, 22);
}

TEST(Toolbar, OnlyEnabledItemsOnTheBarActAndScreenReadersReadTheirLabels)
{
    Toolbar bar;
    std::vector<std::string> pressed;
    auto make = [&](const std::string& label) {
        auto item = BarButtonItem::systemItem(BarButtonItem::SystemItem::Action);
        item->setAccessibilityLabel(label);
        item->onAction = [&pressed, label](BarButtonItem&) { pressed.push_back(label); };
        return item;
    };
    auto open = make("View in Safari"), reload = make("Reload");
    ActivityIndicator spinner;
    auto busy = BarButtonItem::customViewItem(spinner);
    busy->setAccessibilityLabel("Spinner");
    auto done = BarButtonItem::systemItem(BarButtonItem::SystemItem::Done);
    bar.setItems({ open.get(), reload.get(), busy.get(), done.get() });

    open->setEnabled(false);
    EXPECT_FALSE(open->simulateTap());
    EXPECT_TRUE(reload->simulateTap());
    EXPECT_EQ(pressed, (std::vector<std::string> { "Reload" }));
    std::vector<std::string> read;
    for (const auto& e : bar.accessibleElements())
        read.push_back(e.name + (e.role == "button" ? " button" : "") + (e.enabled ? "" : " dimmed"));
    EXPECT_EQ(read, (std::vector<std::string> { "View in Safari button dimmed", "Reload button", "Spinner", "Done button" }));

    // Off the bar, an item is neither pressed nor read.
    bar.setItems({ open.get(), done.get() });
    EXPECT_FALSE(reload->simulateTap());
    EXPECT_EQ(reload->toolbar(), nullptr);
    EXPECT_EQ(spinner.superview(), nullptr);
    EXPECT_EQ(bar.accessibleElements().size(), 2u);
    open->setEnabled(true);
    EXPECT_TRUE(open->simulateTap());
    EXPECT_EQ(pressed.back(), "View in Safari");

    // An item that goes away leaves the bar; a bar that goes first leaves its items whole.
    open.reset();
    EXPECT_EQ(bar.items(), (std::vector<BarButtonItem*> { done.get() }));
    {
        Toolbar other;
        other.setItems({ done.get() });
        EXPECT_EQ(done->toolbar(), &other);
        EXPECT_TRUE(bar.items().empty()) << "an item is on one bar at a time";
    }
    EXPECT_EQ(done->toolbar(), nullptr);
    bar.setItems({ done.get() });
    EXPECT_TRUE(done->simulateTap());
}
