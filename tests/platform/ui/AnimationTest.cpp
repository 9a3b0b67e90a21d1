#include "UiTestSupport.h"
#include "platform/ui/Animation.h"
#include "platform/ui/View.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(Animation, BlocksAreRecordedAndModelValuesChangeAtOnce)
{
    Animation::clearHistory();
    View container({ 0, 83, 320, 216 });
    View back;
    Animation::begin();
    Animation::setDuration(0.75);
    Animation::setTransition(AnimationTransition::FlipFromRight, container, true);
    container.addSubview(back);
    back.setFrame({ 0, 0, 320, 211 });
    EXPECT_EQ(back.superview(), &container); // before the commit already
    EXPECT_EQ(back.frame(), (Rect { 0, 0, 320, 211 }));
    Animation::commit();

    Animation::begin("move buttons");
    Animation::commit();
    Animation::commit(); // an unmatched commit is ignored

    const auto& h = Animation::history();
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0].name, "");
    EXPECT_EQ(h[0].duration, 0.75);
    EXPECT_EQ(h[0].transition, AnimationTransition::FlipFromRight);
    EXPECT_EQ(h[1].name, "move buttons");
    EXPECT_EQ(h[1].duration, 0.2);
    EXPECT_EQ(h[1].transition, AnimationTransition::None);
}

TEST(Animation, DidStopRunsAfterTheDurationOnTheClock)
{
    std::vector<std::string> stopped;
    Animation::begin("flip");
    Animation::setDuration(0.75);
    Animation::setDidStopHandler([&](const std::string& name, bool finished) {
        EXPECT_TRUE(finished);
        stopped.push_back(name);
    });
    Animation::commit();
    Animation::begin("quick");
    Animation::setDuration(0.1);
    Animation::setDidStopHandler([&](const std::string& name, bool) { stopped.push_back(name); });
    Animation::commit();
    uitest::advance(0.5);
    EXPECT_EQ(stopped, std::vector<std::string> { "quick" });
    uitest::advance(0.3);
    EXPECT_EQ(stopped, (std::vector<std::string> { "quick", "flip" }));
    uitest::advance(1);
    EXPECT_EQ(stopped.size(), 2u);
}

TEST(Animation, NestedBlocksKeepTheirOwnSettings)
{
    Animation::clearHistory();
    View v;
    Animation::begin("outer");
    Animation::setDuration(1);
    Animation::begin("inner");
    Animation::setTransition(AnimationTransition::FlipFromLeft, v);
    Animation::commit();
    Animation::commit();
    const auto& h = Animation::history();
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0].name, "inner");
    EXPECT_EQ(h[0].transition, AnimationTransition::FlipFromLeft);
    EXPECT_EQ(h[1].name, "outer");
    EXPECT_EQ(h[1].duration, 1);
    EXPECT_EQ(h[1].transition, AnimationTransition::None);
}
