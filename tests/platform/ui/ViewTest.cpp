#include "platform/ui/Controls.h"
#include "platform/ui/PickerView.h"
#include <limits>
#include "platform/ui/View.h"
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

TEST(View, TreeOrderInsertBringToFrontAndReparent)
{
    View root({ 0, 0, 320, 460 }), a, b, c, other;
    root.addSubview(a);
    root.addSubview(b);
    root.insertSubviewAtIndex(c, 0);
    ASSERT_EQ(root.subviews(), (std::vector<View*> { &c, &a, &b }));
    root.bringSubviewToFront(c);
    EXPECT_EQ(root.subviews(), (std::vector<View*> { &a, &b, &c }));
    // Adding a view that already has a parent moves it.
    other.addSubview(a);
    EXPECT_EQ(root.subviews(), (std::vector<View*> { &b, &c }));
    EXPECT_EQ(a.superview(), &other);
    // Re-adding to the same parent puts it on top without duplicating it.
    root.addSubview(b);
    EXPECT_EQ(root.subviews(), (std::vector<View*> { &c, &b }));
    b.removeFromSuperview();
    EXPECT_EQ(b.superview(), nullptr);
    EXPECT_EQ(root.subviews(), (std::vector<View*> { &c }));
    b.removeFromSuperview(); // twice is harmless
}

TEST(View, RefusesCyclesAndSelf)
{
    View a, b, c;
    a.addSubview(b);
    b.addSubview(c);
    c.addSubview(a); // a is c's ancestor
    a.addSubview(a);
    EXPECT_EQ(a.superview(), nullptr);
    EXPECT_EQ(c.subviews().size(), 0u);
    EXPECT_EQ(b.superview(), &a);
}

TEST(View, DestroyingParentLeavesChildrenAliveAndDetached)
{
    auto child = std::make_unique<Label>(Rect { 1, 2, 3, 4 });
    auto grandChild = std::make_unique<Button>();
    {
        View parent({ 0, 0, 100, 100 });
        parent.addSubview(*child);
        child->addSubview(*grandChild);
    }
    // The parent's widget is gone; the child's must not have gone with it.
    EXPECT_EQ(child->superview(), nullptr);
    child->setText("still here");
    EXPECT_EQ(child->text(), "still here");
    EXPECT_EQ(child->frame(), (Rect { 1, 2, 3, 4 }));
    EXPECT_EQ(grandChild->superview(), child.get());
    View newParent;
    newParent.addSubview(*child);
    EXPECT_EQ(child->superview(), &newParent);
    child.reset();
    EXPECT_EQ(newParent.subviews().size(), 0u);
    EXPECT_EQ(grandChild->superview(), nullptr);
}

TEST(View, DestroyingChildRemovesItFromParent)
{
    View parent;
    View keep;
    parent.addSubview(keep);
    {
        PickerView picker;
        TextField field;
        parent.addSubview(picker);
        parent.addSubview(field);
        EXPECT_EQ(parent.subviews().size(), 3u);
    }
    EXPECT_EQ(parent.subviews(), (std::vector<View*> { &keep }));
}

TEST(View, FrameIsKeptAsSetIncludingOffscreenAndRotation)
{
    View parent({ 0, 0, 320, 460 });
    TextField field({ 10, 75, 84, 40 });
    parent.addSubview(field);
    field.setTransformRotation(1.5708f);
    EXPECT_EQ(field.frame(), (Rect { 10, 75, 84, 40 }));
    EXPECT_NEAR(field.transformRotation(), 1.5708f, 1e-6);
    EXPECT_EQ(field.bounds(), (Rect { 0, 0, 84, 40 }));
    field.setFrame({ 9999, 75, 84, 40 });
    EXPECT_EQ(field.frame().x, 9999);
    // Nonsense rotations are refused rather than drawn.
    field.setTransformRotation(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(field.transformRotation(), 0);
}

TEST(View, AutoresizingMaskFollowsParentSize)
{
    View parent({ 0, 0, 320, 460 });
    View fixed({ 10, 10, 50, 50 });
    View stretch({ 0, 410, 320, 50 });
    View pinnedRight({ 270, 0, 50, 50 });
    stretch.setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleTopMargin);
    pinnedRight.setAutoresizingMask(AutoresizingFlexibleLeftMargin);
    // Several flexible parts on one axis share the change in proportion to their sizes.
    View bar({ 0, 416, 320, 44 });
    bar.setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleTopMargin | AutoresizingFlexibleHeight
        | AutoresizingFlexibleBottomMargin);
    View centred({ 150, 10, 20, 20 });
    centred.setAutoresizingMask(AutoresizingFlexibleLeftMargin | AutoresizingFlexibleRightMargin);
    for (View* v : { &fixed, &stretch, &pinnedRight, &bar, &centred })
        parent.addSubview(*v);
    parent.setFrame({ 0, 0, 480, 300 });
    EXPECT_EQ(fixed.frame(), (Rect { 10, 10, 50, 50 }));
    EXPECT_EQ(stretch.frame(), (Rect { 0, 250, 480, 50 }));
    EXPECT_EQ(pinnedRight.frame(), (Rect { 430, 0, 50, 50 }));
    Rect b = bar.frame();
    EXPECT_FLOAT_EQ(b.y + b.height, 300) << "still on the bottom edge";
    EXPECT_NEAR(b.height, 44 * 300.0f / 460, 0.01) << "shrunk with the screen, never below nothing";
    EXPECT_FLOAT_EQ(centred.frame().x + 10, 240) << "still centred";
    parent.setFrame({ 0, 0, 320, 460 });
    EXPECT_NEAR(bar.frame().height, 44, 0.01) << "and back";
}

TEST(View, PropertiesAndFindByName)
{
    View root;
    View inner;
    Label deep;
    root.addSubview(inner);
    inner.addSubview(deep);
    deep.setObjectName("score");
    EXPECT_EQ(root.findByName("score"), &deep);
    EXPECT_EQ(root.findByName("missing"), nullptr);

    root.setHidden(true);
    EXPECT_TRUE(root.isHidden());
    root.setAlpha(2.5f);
    EXPECT_EQ(root.alpha(), 1.0f);
    root.setAlpha(-1);
    EXPECT_EQ(root.alpha(), 0.0f);
    root.setBackgroundColor(Color::red_());
    EXPECT_EQ(root.backgroundColor(), Color::red_());
    root.setUserInteractionEnabled(false);
    EXPECT_FALSE(root.isUserInteractionEnabled());
}
