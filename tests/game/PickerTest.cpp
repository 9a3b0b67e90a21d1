#include "ControllerFixture.h"

class PickerTest : public ControllerTest { };

TEST_F(PickerTest, WheelNearTheTopGrowsAboveAndKeepsTheValue)
{
    launch();
    turnWheel(5, 0);
    EXPECT_EQ(c().ar_pickerData[0]->max(), 40);
    EXPECT_EQ(selected(0), 15);
    EXPECT_EQ(c().getHP(0), 25);
    ASSERT_EQ(c().arHp.size(), 1u);
    EXPECT_EQ(c().arHp[0], 25);

    turnWheel(10, 0); // row 10 is the first row that keeps ten above: no growth
    EXPECT_EQ(c().ar_pickerData[0]->max(), 40);
    EXPECT_EQ(c().getHP(0), 30);
}

TEST_F(PickerTest, WheelOnTheLastThreeRowsGrowsBelow)
{
    launch();
    turnWheel(32, 1); // -2: four rows from the end
    EXPECT_EQ(rows(1), 36);
    turnWheel(33, 1); // -3
    EXPECT_EQ(rows(1), 46);
    EXPECT_EQ(c().ar_pickerData[1]->min(), -15);
    EXPECT_EQ(selected(1), 33);
    EXPECT_EQ(c().getHP(1), -3);
}

TEST_F(PickerTest, PoisonWheelLogsTheCountAndGrowsNothing)
{
    launch();
    c().switchPoison->simulateUserSet(true);
    EXPECT_EQ(rows(1), 11);
    EXPECT_EQ(rows(2), 11);
    turnWheel(7, 1);
    EXPECT_EQ(rows(1), 11);
    EXPECT_EQ(c().getPoisonCnt(0), 3);
    ASSERT_EQ(c().arHp.size(), 1u);
    EXPECT_EQ(c().arHp[0], 3);
    EXPECT_EQ(*c().arName[0], "\xCF\x86 " + c().nameField0->text());

    // Player 1's life wheel is component 3 and grows its own column.
    turnWheel(2, 3);
    EXPECT_EQ(c().ar_pickerData[1]->max(), 40);
    EXPECT_EQ(selected(3), 12);
    EXPECT_EQ(c().arHp.back(), 28);
    EXPECT_EQ(c().ar_pickerData[0]->max(), 30);
}

TEST_F(PickerTest, SelectingOutOfRangeTotalsGrowsTheColumnFirst)
{
    launch();
    c().setPickerSelectedRow(1, 45, 30, -5);
    EXPECT_EQ(c().ar_pickerData[1]->max(), 55);
    EXPECT_EQ(c().ar_pickerData[1]->min(), -5);
    EXPECT_EQ(selected(1), 10);
    EXPECT_EQ(c().getHP(1), 45);

    c().setPickerSelectedRow(0, -12);
    EXPECT_EQ(c().ar_pickerData[0]->min(), -22);
    EXPECT_EQ(rows(0), 36 + 17);
    EXPECT_EQ(selected(0), 30 + 12);
    EXPECT_EQ(c().getHP(0), -12);

    c().setPickerSelectedRow(0, 7);
    EXPECT_EQ(selected(0), 23);
}

TEST_F(PickerTest, GrowthRedrawsTheComponentOfTheSameNumber)
{
    setting("numPlayers", 3);
    launch();
    ASSERT_TRUE(c().AddItemToPicker(4, 2));
    EXPECT_EQ(rows(2), 34);
    EXPECT_EQ(selected(2), 10); // the selected index stays, the value moves up
    EXPECT_EQ(c().getHP(2), 24);
    ASSERT_TRUE(c().AddItemToPickerBottom(3, 2));
    EXPECT_EQ(rows(2), 37);
    EXPECT_EQ(c().minOfPicker(2), -2);
    EXPECT_EQ(c().maxOfPicker(2), 34);
    EXPECT_EQ(c().picker->textForRow(36, 2), "-2");
    EXPECT_EQ(c().picker->textForRow(0, 2), "34");
}

TEST_F(PickerTest, RowViewIsALargeBoldCentredLabel)
{
    launch();
    auto view = c().viewForRow(*c().picker, 10, 0, nullptr);
    auto* label = dynamic_cast<platform::Label*>(view.get());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "20");
    EXPECT_EQ(label->frame(), (platform::Rect { 0, 0, 100, 44 }));
    EXPECT_EQ(label->font().size, 45);
    EXPECT_TRUE(label->font().bold);
    EXPECT_EQ(label->textAlignment(), platform::TextAlignment::Center);
    EXPECT_EQ(label->textColor(), platform::Color::black());
    EXPECT_FALSE(label->isOpaque());

    c().switchPoison->simulateUserSet(true);
    EXPECT_EQ(c().picker->textForRow(10, 2), "0");
    EXPECT_EQ(c().picker->textForRow(0, 1), "10");
    EXPECT_EQ(c().picker->textForRow(10, 3), "20");
}
