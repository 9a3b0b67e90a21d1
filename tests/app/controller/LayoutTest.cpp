#include "game/ControllerFixture.h"

#include "platform/ui/Animation.h"

namespace {
using R = platform::Rect;
}

class LayoutTest : public ControllerTest {
protected:
    // The platform's rotation: the query, then (when accepted) the handler.
    bool rotate(int orientation) { return platform::Application::shared().setDeviceOrientation(orientation); }
};

TEST_F(LayoutTest, FreeRotationAppliesTheLandscapeTableAndBack)
{
    launch();
    platform::Console::takeLines();
    ASSERT_TRUE(rotate(4));
    EXPECT_TRUE(consoleHas("landscape"));
    EXPECT_EQ(c().bannerView_->frame(), (R { 80, 250, 320, 50 }));
    EXPECT_EQ(c().containerView->frame(), (R { 80, 0, 320, 216 }));
    EXPECT_EQ(c().picker->frame(), (R { 0, 0, 320, 216 }));
    EXPECT_EQ(c().logView->frame(), (R { 9999, 9999, 320, 216 }));
    EXPECT_EQ(c().nameField0->frame(), (R { 0, 5, 80, 31 }));
    EXPECT_EQ(c().nameField1->frame(), (R { 400, 5, 80, 31 }));
    EXPECT_EQ(c().buttonDec5Hp0->frame(), (R { 6, 45, 66, 42 }));
    EXPECT_EQ(c().buttonDec0->frame(), (R { 6, 88, 66, 42 }));
    EXPECT_EQ(c().buttonInc0->frame(), (R { 6, 131, 66, 42 }));
    EXPECT_EQ(c().buttonInc5Hp0->frame(), (R { 6, 174, 66, 42 }));
    EXPECT_EQ(c().buttonDec5Hp1->frame(), (R { 408, 45, 66, 42 }));
    EXPECT_EQ(c().buttonDec1->frame(), (R { 408, 88, 66, 42 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 408, 131, 66, 42 }));
    EXPECT_EQ(c().buttonInc5Hp1->frame(), (R { 408, 174, 66, 42 }));
    EXPECT_EQ(c().buttonDice->frame(), (R { 2, 253, 76, 43 }));
    EXPECT_EQ(c().buttonSwap->frame(), (R { 353, 219, 46, 30 }));
    EXPECT_EQ(c().buttonFacebook->frame(), (R { 307, 219, 30, 30 }));
    EXPECT_EQ(c().buttonLogView->frame(), (R { 421, 230, 46, 32 }));
    EXPECT_EQ(c().buttonReset->frame(), (R { 417, 276, 60, 20 }));
    EXPECT_EQ(c().pelkLogo->frame(), (R { 80, 250, 320, 48 }));
    EXPECT_EQ(c().labelPoison0->frame(), (R { 180, 219, 42, 21 }));
    EXPECT_EQ(c().labelPoison1->frame(), (R { 260, 219, 42, 21 }));
    EXPECT_EQ(c().labelPoisonSwitch->frame(), (R { 20, 219, 54, 33 }));
    EXPECT_EQ(c().switchPoison->frame(), (R { 80, 219, 94, 27 }));
    EXPECT_FALSE(c().isPortrait());

    platform::Animation::clearHistory();
    ASSERT_TRUE(rotate(1));
    EXPECT_EQ(c().bannerView_->frame(), (R { 0, 0, 320, 50 }));
    EXPECT_EQ(c().containerView->frame(), (R { 0, 83, 320, 216 }));
    EXPECT_EQ(c().logView->frame(), (R { 9999, 0, 320, 216 }));
    EXPECT_EQ(c().buttonDice->frame(), (R { 137, 313, 46, 42 }));
    EXPECT_EQ(c().buttonSwap->frame(), (R { 137, 361, 46, 42 }));
    EXPECT_EQ(c().nameField0->frame(), (R { 0, 48, 160, 31 }));
    EXPECT_EQ(c().nameField1->frame(), (R { 160, 48, 160, 31 }));
    EXPECT_EQ(c().buttonDec5Hp0->frame(), (R { 69, 313, 66, 42 }));
    EXPECT_EQ(c().buttonDec5Hp1->frame(), (R { 185, 313, 66, 42 }));
    EXPECT_EQ(c().buttonInc5Hp0->frame(), (R { 69, 356, 66, 42 }));
    EXPECT_EQ(c().buttonInc5Hp1->frame(), (R { 185, 356, 66, 42 }));
    EXPECT_EQ(c().buttonDec0->frame(), (R { 2, 313, 66, 42 }));
    EXPECT_EQ(c().buttonDec1->frame(), (R { 252, 313, 66, 42 }));
    EXPECT_EQ(c().buttonInc0->frame(), (R { 2, 356, 66, 42 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 253, 356, 66, 42 }));
    EXPECT_EQ(c().buttonReset->frame(), c().rectReset);
    EXPECT_EQ(c().buttonLogView->frame(), c().rectHist);
    EXPECT_EQ(c().buttonFacebook->frame(), c().rectFacebook);
    EXPECT_EQ(c().labelPoisonSwitch->frame(), c().rectLblPoison);
    EXPECT_EQ(c().switchPoison->frame(), c().rectSwiPoison);
    EXPECT_EQ(c().pelkLogo->frame(), (R { 0, 0, 320, 48 }));
    EXPECT_EQ(c().labelPoison0->frame(), (R { 100, 296, 42, 21 }));
    EXPECT_EQ(c().labelPoison1->frame(), (R { 176, 296, 42, 21 }));
    bool moved = false;
    for (const auto& record : platform::Animation::history())
        moved = moved || record.name == "move buttons";
    EXPECT_TRUE(moved);
}

TEST_F(LayoutTest, UpsideDownIsAcceptedAndUsesThePortraitTable)
{
    launch();
    ASSERT_TRUE(rotate(3));
    ASSERT_TRUE(rotate(2));
    EXPECT_TRUE(c().isPortrait());
    EXPECT_EQ(c().containerView->frame(), (R { 0, 83, 320, 216 }));
    EXPECT_EQ(c().bannerView_->frame(), (R { 0, 0, 320, 50 }));
    EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(0));
    EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(5));
}

TEST_F(LayoutTest, WithoutFiveButtonsTheOnesDoubleInBothOrientations)
{
    setting("is5hp", false);
    launch();
    for (auto* b : { c().buttonDec5Hp0.get(), c().buttonDec5Hp1.get(), c().buttonInc5Hp0.get(),
             c().buttonInc5Hp1.get() })
        EXPECT_EQ(b->frame().x, 9999);
    EXPECT_EQ(c().buttonDec0->frame(), (R { 2, 313, 132, 42 }));
    EXPECT_EQ(c().buttonInc0->frame(), (R { 2, 356, 132, 42 }));
    EXPECT_EQ(c().buttonDec1->frame(), (R { 186, 313, 132, 42 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 187, 356, 132, 42 }));

    ASSERT_TRUE(rotate(3));
    EXPECT_EQ(c().buttonDec5Hp0->frame(), (R { 9999, 313, 66, 42 }));
    EXPECT_EQ(c().buttonInc5Hp1->frame(), (R { 9999, 356, 66, 42 }));
    EXPECT_EQ(c().buttonDec0->frame(), (R { 6, 46, 66, 84 }));
    EXPECT_EQ(c().buttonInc0->frame(), (R { 6, 131, 66, 84 }));
    EXPECT_EQ(c().buttonDec1->frame(), (R { 408, 46, 66, 84 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 408, 131, 66, 84 }));
}

TEST_F(LayoutTest, TheLogViewStaysInsideTheContainerWhileShowing)
{
    launch();
    tap(*c().buttonLogView);
    ASSERT_TRUE(rotate(4));
    EXPECT_EQ(c().logView->frame(), (R { 0, 0, 320, 216 }));
    ASSERT_TRUE(rotate(1));
    EXPECT_EQ(c().logView->frame(), (R { 0, 0, 320, 216 }));
    tap(*c().buttonLogView);
    ASSERT_TRUE(rotate(2));
    EXPECT_EQ(c().logView->frame(), (R { 9999, 0, 320, 216 }));
}

TEST_F(LayoutTest, LandscapeAtStartAcceptsOnlyLandscapeRightAndParksTheBanner)
{
    setting("isLandscapeAtStart", true);
    launch();
    EXPECT_EQ(platform::Application::shared().statusBarOrientation(), 3);
    for (int o : { 1, 2, 4 }) {
        c().bannerView_->setFrame({ 0, 0, 320, 50 });
        EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(o)) << o;
        EXPECT_EQ(c().bannerView_->frame(), (R { 80, 250, 320, 50 })) << o;
    }
    EXPECT_TRUE(c().shouldAutorotateToInterfaceOrientation(3));
}

TEST_F(LayoutTest, ThreePlayersNeverRotateAndTheBannerStays)
{
    setting("numPlayers", 3);
    launch();
    for (int o : { 1, 2, 3, 4 }) {
        EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(o)) << o;
        EXPECT_FALSE(rotate(o)) << o;
    }
    EXPECT_EQ(c().bannerView_->frame(), (R { 0, 0, 320, 50 }));
    EXPECT_EQ(c().containerView->frame(), (R { 0, 138, 320, 216 }));
}

TEST_F(LayoutTest, ThreePlayersTurnedAtStartGetTheTwoPlayerTableButNoPoisonSwitch)
{
    setting("numPlayers", 3);
    setting("isLandscapeAtStart", true);
    launch();
    ASSERT_TRUE(rotate(3));
    EXPECT_EQ(c().containerView->frame(), (R { 80, 0, 320, 216 }));
    EXPECT_EQ(c().buttonReset->frame(), (R { 417, 276, 60, 20 }));
    EXPECT_EQ(c().switchPoison->frame().x, 9999);
    EXPECT_EQ(c().labelPoisonSwitch->frame().x, 9999);
    // Controls of the three-player layout are left where they were.
    EXPECT_EQ(c().diceButton()->frame(), (R { 203, 402, 50, 50 }));
}

TEST_F(LayoutTest, FontSizeChangeKeepsTheFamily)
{
    launch();
    const platform::Font before = c().buttonReset->font();
    c().SetButtonFontSize(21, *c().buttonReset);
    EXPECT_EQ(c().buttonReset->font().name, before.name);
    EXPECT_EQ(c().buttonReset->font().bold, before.bold);
    EXPECT_EQ(c().buttonReset->font().size, 21);
}
