#include "UiTestSupport.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Image.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

TEST(Button, StatesWithoutTheirOwnValuesFallBackToNormal)
{
    Button b({ 0, 0, 80, 40 });
    b.setTitle("Reset");
    b.setTitle("Hold", ControlStateHighlighted);
    EXPECT_EQ(b.title(), "Reset");
    EXPECT_EQ(b.title(ControlStateHighlighted), "Hold");
    EXPECT_EQ(b.title(ControlStateDisabled), "Reset");

    b.setTitleColor(Color::red_());
    EXPECT_EQ(b.titleColor(ControlStateSelected), Color::red_());

    auto white = Image::named("whiteButton.png");
    auto blue = Image::named("blueButton.png");
    ASSERT_TRUE(white && blue);
    b.setBackgroundImage(white->stretchable(12, 0));
    b.setBackgroundImage(blue->stretchable(12, 0), ControlStateHighlighted);
    EXPECT_EQ(b.backgroundImage(ControlStateHighlighted)->name(), "blueButton.png");
    EXPECT_EQ(b.backgroundImage(ControlStateDisabled)->name(), "whiteButton.png");
    EXPECT_EQ(b.backgroundImage()->leftCapWidth(), 12);
    // Taking an image away leaves the fallback again.
    b.setBackgroundImage(nullptr, ControlStateHighlighted);
    EXPECT_EQ(b.backgroundImage(ControlStateHighlighted)->name(), "whiteButton.png");
    EXPECT_EQ(b.image(), nullptr);
}

TEST(Button, TapsOnlyWhenEnabled)
{
    Button b({ 10, 10, 80, 40 });
    int taps = 0;
    Button* sender = nullptr;
    b.onTouchUpInside = [&](Button& s) { ++taps; sender = &s; };
    b.simulateTap();
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(sender, &b);
    b.setEnabled(false);
    EXPECT_FALSE(b.isEnabled());
    b.simulateTap();
    b.simulateTouchDown();
    b.simulateTouchUp();
    EXPECT_EQ(taps, 1);
    b.setEnabled(true);
    b.simulateTap();
    EXPECT_EQ(taps, 2);
}

TEST(Button, HoldingFiresLongPressAfterPointEightSecondsInsteadOfTap)
{
    Button b({ 0, 0, 80, 40 });
    int taps = 0, longPresses = 0;
    b.onTouchUpInside = [&](Button&) { ++taps; };
    b.onLongPress = [&](Button&) { ++longPresses; };

    b.simulateTouchDown();
    uitest::advance(0.79);
    EXPECT_EQ(longPresses, 0);
    uitest::advance(0.02);
    EXPECT_EQ(longPresses, 1);
    b.simulateTouchUp();
    EXPECT_EQ(taps, 0); // the hold was a long press, not a tap

    // A short hold is a tap, and its timer never fires later.
    b.simulateTouchDown();
    uitest::advance(0.5);
    b.simulateTouchUp();
    uitest::advance(1.0);
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(longPresses, 1);

    b.simulateLongPress();
    EXPECT_EQ(longPresses, 2);
    EXPECT_EQ(taps, 1);

    // Disabled while held: neither a long press nor a tap.
    b.simulateTouchDown();
    b.setEnabled(false);
    uitest::advance(1.0);
    b.simulateTouchUp();
    EXPECT_EQ(longPresses, 2);
    EXPECT_EQ(taps, 1);
}

TEST(Button, ActionMayDestroyTheButton)
{
    auto b = std::make_unique<Button>(Rect { 0, 0, 80, 40 });
    int taps = 0;
    b->onTouchUpInside = [&](Button&) { ++taps; b.reset(); };
    b->simulateTap();
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(b, nullptr);

    auto h = std::make_unique<Button>(Rect { 0, 0, 80, 40 });
    h->onLongPress = [&](Button&) { h.reset(); };
    h->simulateTouchDown();
    uitest::advance(1.0);
    EXPECT_EQ(h, nullptr);
    uitest::advance(0.1); // the kept timer is let go on the next turn
}

// A title stays on one line inside its button: "All +1" in a 66-point
// button does not break in two; it shrinks to fit instead.
TEST(Button, TitleFitsItsButtonOnOneLine)
{
    Window window;
    View paper({ 0, 0, 320, 480 });
    paper.setBackgroundColor(Color::white());
    window.addSubview(paper);
    Button all({ 2, 100, 66, 61 });
    all.setTitle("All +1");
    all.setTitleColor(Color::black());
    all.setFont(Font::boldSystemFont(22));
    window.addSubview(all);
    Button narrow({ 100, 100, 30, 30 });
    narrow.setTitle("Swap");
    narrow.setTitleColor(Color::black());
    narrow.setFont(Font::boldSystemFont(18));
    window.addSubview(narrow);
    std::string path = ::testing::TempDir() + "fit.png";
    ASSERT_TRUE(window.renderToPng(path));
    auto shot = Image::fromFile(path);
    ASSERT_TRUE(shot);

    auto title = uitest::inkBox(*shot, 4, 102, 66, 159);
    ASSERT_FALSE(title.empty());
    EXPECT_LT(title.height(), 24) << "the title took more than one line";
    EXPECT_GT(title.left, 4);
    EXPECT_LT(title.right, 65);
    auto small = uitest::inkBox(*shot, 100, 100, 130, 130);
    ASSERT_FALSE(small.empty());
    EXPECT_GT(small.left, 100);
    EXPECT_LT(small.right, 129);
}
