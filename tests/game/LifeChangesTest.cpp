#include "ControllerFixture.h"

#include <limits>

class LifeChangesTest : public ControllerTest { };

TEST_F(LifeChangesTest, PlusOneNearTheTopGrowsTheColumnBeforeMoving)
{
    launch();
    tap(*c().buttonInc0);
    EXPECT_EQ(c().ar_pickerData[0]->max(), 40);
    EXPECT_EQ(c().ar_pickerData[0]->min(), -5);
    EXPECT_EQ(selected(0), 19);
    EXPECT_EQ(c().getHP(0), 21);
    ASSERT_EQ(c().arHp.size(), 1u);
    EXPECT_EQ(c().arHp[0], 21);
    EXPECT_EQ(*c().arName[0], c().nameField0->text());
    // Player 1 untouched.
    EXPECT_EQ(c().getHP(1), 20);
    EXPECT_EQ(rows(1), 36);
}

TEST_F(LifeChangesTest, MinusFiveNeedsFiveRowsBelowAndMinusOneGrowsOnTheLastRow)
{
    launch();
    select(34, 0); // -4
    platform::Console::takeLines();
    tap(*c().buttonDec5Hp0);
    EXPECT_TRUE(consoleHas(" selected row 34"));
    EXPECT_EQ(c().getHP(0), -4);
    EXPECT_TRUE(c().arHp.empty());

    tap(*c().buttonDec0);
    EXPECT_EQ(c().getHP(0), -5);
    EXPECT_EQ(c().ar_pickerData[0]->min(), -15);
    EXPECT_EQ(rows(0), 46);
    EXPECT_EQ(selected(0), 35);

    tap(*c().buttonDec5Hp0);
    EXPECT_EQ(c().getHP(0), -10);
    EXPECT_EQ(c().ar_pickerData[0]->min(), -15);
    ASSERT_FALSE(c().arHp.empty());
    EXPECT_EQ(c().arHp.back(), -10);
}

TEST_F(LifeChangesTest, MinusFiveGrowsOnlyWhenItLandsOnTheLastRow)
{
    launch();
    select(29, 0); // 1
    tap(*c().buttonDec5Hp0);
    EXPECT_EQ(c().getHP(0), -4);
    EXPECT_EQ(selected(0), 34);
    EXPECT_EQ(rows(0), 36);

    select(30, 1); // 0
    tap(*c().buttonDec5Hp1);
    EXPECT_EQ(c().getHP(1), -5);
    EXPECT_EQ(rows(1), 46);
    EXPECT_EQ(c().ar_pickerData[1]->min(), -15);
}

TEST_F(LifeChangesTest, MinusOneOnTheMinimumIsRefused)
{
    launch();
    select(35, 1);
    const auto before = *c().ar_pickerData[1];
    tap(*c().buttonDec1);
    EXPECT_EQ(c().getHP(1), -5);
    EXPECT_EQ(*c().ar_pickerData[1], before);
    EXPECT_TRUE(c().arHp.empty());
}

TEST_F(LifeChangesTest, PlusFiveKeepsTenValuesAboveTheNewTotal)
{
    launch();
    select(14, 1); // 16, target row 9
    tap(*c().buttonInc5Hp1);
    EXPECT_EQ(c().getHP(1), 21);
    EXPECT_EQ(selected(1), 19);
    EXPECT_EQ(c().ar_pickerData[1]->max(), 40);

    select(20, 1); // 20, target row 15: no growth
    tap(*c().buttonInc5Hp1);
    EXPECT_EQ(c().getHP(1), 25);
    EXPECT_EQ(c().ar_pickerData[1]->max(), 40);
}

TEST_F(LifeChangesTest, RisesFromTheTopRowsLandOnTheRightValue)
{
    launch();
    // A start whose first reset was cancelled leaves row 0 selected; a
    // restored 28 sits on row 2.
    select(0, 0);
    tap(*c().buttonInc5Hp0);
    EXPECT_EQ(c().getHP(0), 35);
    EXPECT_GE(selected(0), 10);

    select(2, 1);
    tap(*c().buttonInc5Hp1);
    EXPECT_EQ(c().getHP(1), 33);
    EXPECT_GE(selected(1), 10);

    select(0, 1);
    const int top = c().getHP(1);
    tap(*c().buttonInc1);
    EXPECT_EQ(c().getHP(1), top + 1);
    EXPECT_GE(selected(1), 10);
    EXPECT_EQ(c().arHp.back(), top + 1);
}

TEST_F(LifeChangesTest, PoisonModeMovesComponentThreeForPlayerOne)
{
    launch();
    c().switchPoison->simulateUserSet(true);
    ASSERT_TRUE(c().isPoison);
    const int p0Row = selected(0);
    tap(*c().buttonInc1);
    EXPECT_EQ(c().getHP(1), 21);
    EXPECT_EQ(selected(3), 19);
    EXPECT_EQ(c().ar_pickerData[1]->max(), 40);
    EXPECT_EQ(rows(3), 46);
    tap(*c().buttonDec5Hp1);
    EXPECT_EQ(c().getHP(1), 16);
    // Poison wheels and player 0 stay where they were.
    EXPECT_EQ(selected(0), p0Row);
    EXPECT_EQ(selected(1), 10);
    EXPECT_EQ(selected(2), 10);

    select(rows(3) - 2, 3); // -4 in 40 .. -5
    tap(*c().buttonDec1);
    EXPECT_EQ(c().getHP(1), -5);
    EXPECT_EQ(c().ar_pickerData[1]->min(), -15);
    EXPECT_EQ(rows(3), 56);
}

TEST_F(LifeChangesTest, AllMinusOneSkipsAPlayerOnTheMinimum)
{
    setting("numPlayers", 3);
    launch();
    select(29, 2); // player 2 on 1, the last row of its column
    tap(*c().buttonDec0);
    EXPECT_EQ(c().getHP(0), 19);
    EXPECT_EQ(c().getHP(1), 19);
    EXPECT_EQ(c().getHP(2), 1);
    EXPECT_EQ(rows(2), 30);
    ASSERT_EQ(c().arHp.size(), 2u);
    EXPECT_EQ(*c().arName[0], c().ar_nameField[0]->text());
    EXPECT_EQ(*c().arName[1], c().ar_nameField[1]->text());

    // Reaching the last row this way does not grow the column.
    select(34, 0);
    tap(*c().buttonDec0);
    EXPECT_EQ(c().getHP(0), -5);
    EXPECT_EQ(rows(0), 36);
}

TEST_F(LifeChangesTest, AllPlusOneRaisesEveryPlayerAndFivesStayPersonal)
{
    setting("numPlayers", 4);
    launch();
    EXPECT_EQ(c().buttonInc0->title(), "All +1");
    EXPECT_EQ(c().buttonDec0->title(), "All -1");
    tap(*c().buttonInc0);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(c().getHP(p), 21) << p;
        EXPECT_EQ(selected(p), 19) << p;
    }
    EXPECT_EQ(c().arHp.size(), 4u);
    // buttonInc1 is off-screen but acts on everybody as well.
    tap(*c().buttonInc1);
    EXPECT_EQ(c().getHP(3), 22);

    tap(*c().buttonInc5Hp1);
    EXPECT_EQ(c().getHP(1), 27);
    EXPECT_EQ(c().getHP(0), 22);
    EXPECT_EQ(c().getHP(2), 22);
}

TEST_F(LifeChangesTest, MovesThatWouldLeaveThe32BitRangeAreRefused)
{
    launch();
    // 30 down to -5 grown so that twenty more rows would not fit a 32-bit count.
    const int grow = std::numeric_limits<int32_t>::max() - 36 - 15;
    ASSERT_TRUE(c().AddItemToPicker(grow, 0));
    select(0, 0);
    const int top = c().getHP(0);
    ASSERT_EQ(top, 30 + grow);
    const auto before = *c().ar_pickerData[0];
    tap(*c().buttonInc0);
    tap(*c().buttonInc5Hp0);
    EXPECT_EQ(c().getHP(0), top);
    EXPECT_EQ(*c().ar_pickerData[0], before);
    EXPECT_TRUE(c().arHp.empty());
}

TEST_F(LifeChangesTest, QuickPressesLeaveOneEntryAndOtherSendersDoNothing)
{
    launch();
    tap(*c().buttonInc0);
    advance(1);
    tap(*c().buttonInc0);
    ASSERT_EQ(c().arHp.size(), 1u);
    EXPECT_EQ(c().arHp[0], 22);

    c().changeHp(c().buttonSwap.get());
    c().changeHp(nullptr);
    EXPECT_EQ(c().getHP(0), 22);
    EXPECT_EQ(c().getHP(1), 20);
    EXPECT_EQ(c().arHp.size(), 1u);
}
