#include "ControllerFixture.h"

class PoisonTest : public ControllerTest { };

TEST_F(PoisonTest, SwitchingOnKeepsBothLivesAndStartsCountsAtZero)
{
    launch();
    select(13, 1); // player 1 at 17
    select(7, 0);  // player 0 at 23
    EXPECT_TRUE(c().labelPoison0->isHidden());
    platform::Console::takeLines();
    c().switchPoison->simulateUserSet(true);
    EXPECT_TRUE(consoleHas(" hp 17 30"));
    EXPECT_EQ(c().picker->numberOfComponents(), 4);
    EXPECT_EQ(selected(3), 13);
    EXPECT_EQ(c().getHP(1), 17);
    EXPECT_EQ(selected(1), 10);
    EXPECT_EQ(selected(2), 10);
    EXPECT_EQ(c().getPoisonCnt(0), 0);
    EXPECT_EQ(c().getPoisonCnt(1), 0);
    EXPECT_EQ(c().getHP(0), 23);
    EXPECT_FALSE(c().labelPoison0->isHidden());
    EXPECT_FALSE(c().labelPoison1->isHidden());

    turnWheel(6, 2);
    EXPECT_EQ(c().getPoisonCnt(1), 4);

    c().switchPoison->simulateUserSet(false);
    EXPECT_EQ(c().picker->numberOfComponents(), 2);
    EXPECT_EQ(selected(1), 13);
    EXPECT_EQ(c().getHP(1), 17);
    EXPECT_EQ(c().getHP(0), 23);
    EXPECT_EQ(c().getPoisonCnt(1), -1);
    EXPECT_TRUE(c().labelPoison1->isHidden());

    // The counts were discarded: a new round of poison starts at zero.
    c().switchPoison->simulateUserSet(true);
    EXPECT_EQ(c().getPoisonCnt(1), 0);
    EXPECT_EQ(c().getHP(1), 17);
}

TEST_F(PoisonTest, PlayerOneOnTheTopValueGetsTenMoreRowsAbove)
{
    launch();
    select(0, 1); // 30, the column's top
    c().switchPoison->simulateUserSet(true);
    EXPECT_EQ(c().ar_pickerData[1]->max(), 40);
    EXPECT_EQ(selected(3), 10);
    EXPECT_EQ(c().getHP(1), 30);
}

TEST_F(PoisonTest, PoisonEntriesCarryPhiAndNeverMerge)
{
    launch();
    c().nameField1->setText("Lee");
    c().switchPoison->simulateUserSet(true);
    turnWheel(7, 2);
    advance(1);
    turnWheel(6, 2);
    ASSERT_EQ(c().arHp.size(), 2u);
    EXPECT_EQ(*c().arName[0], "\xCF\x86 Lee");
    EXPECT_EQ(c().arHp[0], 3);
    EXPECT_EQ(c().arHp[1], 4);

    turnWheel(8, 1);
    EXPECT_EQ(c().arHp.back(), 2);
    EXPECT_EQ(*c().arName.back(), "\xCF\x86 " + c().nameField0->text());
}

TEST_F(PoisonTest, NoPoisonModeWithMoreThanTwoPlayers)
{
    setting("numPlayers", 3);
    launch();
    EXPECT_EQ(c().switchPoison->frame().x, 9999);
    EXPECT_EQ(c().labelPoisonSwitch->frame().x, 9999);
    c().switchPoison->simulateUserSet(true);
    EXPECT_FALSE(c().isPoison);
    EXPECT_FALSE(c().switchPoison->isOn());
    EXPECT_EQ(c().picker->numberOfComponents(), 3);
    EXPECT_EQ(c().getPoisonCnt(0), -1);
    EXPECT_EQ(c().getHP(2), 20);
}
