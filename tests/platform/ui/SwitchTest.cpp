#include "platform/ui/Controls.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(Switch, OnlyTheUserSendsTheAction)
{
    Switch s({ 200, 10, 10, 10 });
    int changes = 0;
    bool seen = false;
    s.onValueChanged = [&](Switch& sender) { ++changes; seen = sender.isOn(); };
    s.setOn(true);
    EXPECT_TRUE(s.isOn());
    EXPECT_EQ(changes, 0);
    s.simulateUserSet(false);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(seen);
    s.simulateUserSet(false); // no change, no action
    EXPECT_EQ(changes, 1);
    s.setEnabled(false);
    s.simulateUserSet(true);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(s.isOn());
    // The switch keeps its own size whatever frame it is given.
    EXPECT_EQ(s.frame(), (Rect { 200, 10, 94, 27 }));
}
