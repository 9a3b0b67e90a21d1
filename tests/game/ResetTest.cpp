#include "ControllerFixture.h"

#include "platform/ui/Animation.h"

class ResetTest : public ControllerTest {
protected:
    void confirm()
    {
        platform::AlertView* alert = c().currentAlert();
        ASSERT_NE(alert, nullptr);
        alert->simulateButtonPress(1);
        platform::RunLoop::main().runPending();
    }
    std::string title() { return c().buttonReset->title(); }
};

TEST_F(ResetTest, FreshStartRunsRoundOneWithTheTimerShowingOnTheButton)
{
    launch();
    EXPECT_EQ(c().gameRound, 1);
    ASSERT_TRUE(c().gameTimer);
    EXPECT_EQ(title(), "Reset"); // the first tick shows the round
    advance(1);
    EXPECT_EQ(title(), "R1 00:01");
    advance(64);
    EXPECT_EQ(title(), "R1 01:05");
    EXPECT_EQ(c().secordOfTimer, 65);
}

TEST_F(ResetTest, RoundsCycleOneToThreeAndTheTimeRunsOnUntilTheWrap)
{
    launch();
    advance(300);
    EXPECT_EQ(title(), "R1 05:00");
    for (int expected : { 2, 3 }) {
        c().Reset();
        platform::AlertView* alert = c().currentAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title(), "Reset");
        EXPECT_EQ(alert->message(), "Reset life and go to next round?");
        EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string> { "Cancel", "OK" }));
        confirm();
        EXPECT_EQ(c().gameRound, expected);
        EXPECT_EQ(c().currentAlert(), nullptr);
    }
    advance(1);
    EXPECT_EQ(title(), "R3 05:01");
    c().Reset();
    confirm();
    EXPECT_EQ(c().gameRound, 1);
    advance(1);
    EXPECT_EQ(title(), "R1 00:01");
}

TEST_F(ResetTest, ConfirmedHardResetStartsANewGame)
{
    launch();
    c().DoReset();
    advance(754);
    EXPECT_EQ(title(), "R2 12:34");
    c().HardReset();
    platform::AlertView* alert = c().currentAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Hard Reset");
    EXPECT_EQ(alert->message(), "Reset the game?");
    confirm();
    advance(1);
    EXPECT_EQ(title(), "R1 00:01");
}

TEST_F(ResetTest, WithoutAskingOnlyTheHardResetAsks)
{
    setting("isAskBeforeReset", false);
    launch();
    tap(*c().buttonInc0);
    c().Reset();
    EXPECT_EQ(c().currentAlert(), nullptr);
    EXPECT_EQ(c().gameRound, 2);
    EXPECT_EQ(c().getHP(0), 20);
    c().HardReset();
    ASSERT_NE(c().currentAlert(), nullptr);
    EXPECT_EQ(c().currentAlert()->message(), "Reset the game?");
}

TEST_F(ResetTest, CancelChangesNothingAndALaterPlainResetIsNotHard)
{
    launch();
    c().DoReset(); // round 2
    advance(10);
    tap(*c().buttonInc0);
    c().buttonReset->simulateLongPress();
    ASSERT_NE(c().currentAlert(), nullptr);
    c().currentAlert()->simulateButtonPress(0);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(c().currentAlert(), nullptr);
    EXPECT_EQ(c().gameRound, 2);
    EXPECT_EQ(c().getHP(0), 21);
    EXPECT_EQ(c().arHp.size(), 1u);
    advance(1);
    EXPECT_EQ(title(), "R2 00:11");

    tap(*c().buttonReset);
    confirm();
    EXPECT_EQ(c().gameRound, 3);
    EXPECT_EQ(c().getHP(0), 20);
    EXPECT_TRUE(c().arHp.empty());
    advance(1);
    EXPECT_EQ(title(), "R3 00:12");
}

TEST_F(ResetTest, PoisonModeResetsLivesAndCounts)
{
    launch();
    c().switchPoison->simulateUserSet(true);
    turnWheel(3, 1);
    turnWheel(4, 2);
    select(30, 3);
    select(2, 0);
    c().DoReset();
    EXPECT_EQ(c().getHP(0), 20);
    EXPECT_EQ(c().getHP(1), 20);
    EXPECT_EQ(selected(1), 10);
    EXPECT_EQ(selected(2), 10);
    EXPECT_EQ(c().getPoisonCnt(0), 0);
    EXPECT_EQ(c().getPoisonCnt(1), 0);
}

TEST_F(ResetTest, GrownColumnsKeepTheirRowsAndSelectTwenty)
{
    launch();
    c().AddItemToPicker(30, 0);
    c().AddItemToPickerBottom(20, 0);
    c().DoReset();
    EXPECT_EQ(selected(0), 40);
    EXPECT_EQ(rows(0), 86);
    EXPECT_EQ(c().getHP(0), 20);
}

TEST_F(ResetTest, MinutesAreNotLimitedToTwoDigits)
{
    launch();
    advance(6000);
    EXPECT_EQ(title(), "R1 100:00");
}

TEST_F(ResetTest, ResetWhileTheLogShowsTurnsBackToThePickerWithAnEmptyLog)
{
    launch();
    tap(*c().buttonInc0);
    tap(*c().buttonLogView);
    ASSERT_FALSE(c().frontViewVisible);
    EXPECT_FALSE(c().logView->text().empty());
    platform::Animation::clearHistory();
    c().DoReset();
    EXPECT_TRUE(c().frontViewVisible);
    EXPECT_EQ(c().picker->superview(), c().containerView.get());
    EXPECT_EQ(c().logView->superview(), nullptr);
    EXPECT_EQ(c().logView->text(), "");
    EXPECT_TRUE(c().arTime.empty());
    EXPECT_TRUE(c().arTimeString.empty());
    EXPECT_TRUE(c().arName.empty());
    EXPECT_TRUE(c().arHp.empty());
    const auto& history = platform::Animation::history();
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.back().duration, 0.75);
    EXPECT_EQ(history.back().transition, platform::AnimationTransition::FlipFromLeft);
}
