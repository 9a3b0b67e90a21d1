#include "ControllerFixture.h"

#include "platform/ui/Animation.h"

class LogTest : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        launch();
        c().nameField0->setText("Kim");
        c().nameField1->setText("Lee");
    }
};

TEST_F(LogTest, PressesWithinThreeSecondsMergeIntoOneEntryWithTheLastTime)
{
    tap(*c().buttonInc0);
    advance(1);
    tap(*c().buttonInc0);
    ASSERT_EQ(c().arHp.size(), 1u);
    EXPECT_EQ(c().arHp[0], 22);
    EXPECT_EQ(*c().arName[0], "Kim");
    EXPECT_EQ(c().arTimeString[0], "2:05:10");
    EXPECT_EQ(c().arTime[0].secondsSince1970, clock->now());

    // A run keeps merging while each change comes within three seconds of the last.
    advance(2.5);
    tap(*c().buttonInc0);
    advance(2.5);
    tap(*c().buttonInc0);
    EXPECT_EQ(c().arHp.size(), 1u);
    EXPECT_EQ(c().arHp[0], 24);
}

TEST_F(LogTest, PressesFourSecondsApartMakeTwoEntriesNewestLineFirst)
{
    tap(*c().buttonInc0);
    advance(4);
    tap(*c().buttonInc0);
    ASSERT_EQ(c().arHp.size(), 2u);
    EXPECT_EQ(c().arHp[0], 21);
    EXPECT_EQ(c().arHp[1], 22);
    tap(*c().buttonLogView);
    EXPECT_EQ(c().logView->text(), "2:05:13\tKim\t22\n2:05:09\tKim\t21\n");
    EXPECT_EQ(c().logTextMutableString, c().logView->text());
}

TEST_F(LogTest, ExactlyThreeSecondsLaterIsANewEntry)
{
    tap(*c().buttonDec0);
    advance(3);
    tap(*c().buttonDec0);
    EXPECT_EQ(c().arHp.size(), 2u);
}

TEST_F(LogTest, InterleavedPlayersNeverMerge)
{
    tap(*c().buttonInc0);
    tap(*c().buttonInc1);
    tap(*c().buttonInc0);
    ASSERT_EQ(c().arHp.size(), 3u);
    EXPECT_EQ(c().arHp, (std::vector<int> { 21, 21, 22 }));
}

TEST_F(LogTest, NameIdentityNotTextDecidesTheMerge)
{
    tap(*c().buttonInc0);
    c().nameField0->setText("Kim"); // same text, new name value
    tap(*c().buttonInc0);
    EXPECT_EQ(c().arHp.size(), 2u);

    // Two players of the same name are still two players.
    c().nameField1->setText("Kim");
    tap(*c().buttonInc1);
    c().nameField0->setText("Kim");
    c().nameField1->setText(c().nameField0->text());
    tap(*c().buttonInc1);
    EXPECT_EQ(c().arHp.size(), 4u);

    // A user edit between two changes makes a new entry too.
    tap(*c().buttonInc0);
    c().nameField0->simulateUserEdit("Kimberly");
    tap(*c().buttonInc0);
    ASSERT_EQ(c().arHp.size(), 6u);
    EXPECT_EQ(*c().arName.back(), "Kimberly");
}

TEST_F(LogTest, LogSideShowsNewEntriesAndMergesAtOnce)
{
    platform::Console::takeLines();
    platform::Animation::clearHistory();
    tap(*c().buttonLogView);
    EXPECT_TRUE(consoleHas("log flip button pressed"));
    EXPECT_FALSE(c().frontViewVisible);
    EXPECT_EQ(c().logView->superview(), c().containerView.get());
    EXPECT_EQ(c().picker->superview(), nullptr);
    EXPECT_EQ(c().logView->frame(), (platform::Rect { 0, 0, 320, 211 }));
    ASSERT_FALSE(platform::Animation::history().empty());
    EXPECT_EQ(platform::Animation::history().back().duration, 0.75);
    EXPECT_EQ(platform::Animation::history().back().transition, platform::AnimationTransition::FlipFromRight);
    EXPECT_EQ(c().logView->text(), "");

    tap(*c().buttonInc1);
    EXPECT_EQ(c().logView->text(), "2:05:09\tLee\t21\n");
    advance(1);
    tap(*c().buttonInc1);
    EXPECT_EQ(c().logView->text(), "2:05:10\tLee\t22\n");
    tap(*c().buttonDec0);
    EXPECT_EQ(c().logView->text(), "2:05:10\tKim\t19\n2:05:10\tLee\t22\n");

    tap(*c().buttonLogView);
    EXPECT_TRUE(c().frontViewVisible);
    EXPECT_EQ(c().picker->superview(), c().containerView.get());
    EXPECT_EQ(c().logView->superview(), nullptr);
    // With the picker showing only the lists change.
    tap(*c().buttonDec1);
    EXPECT_EQ(c().logView->text(), "2:05:10\tKim\t19\n2:05:10\tLee\t22\n");
    EXPECT_EQ(c().arHp.size(), 3u);
}

TEST_F(LogTest, TimesAreTwelveHourWithoutLeadingZero)
{
    clock->setLocalDateTime(2026, 1, 15, 0, 7, 3);
    EXPECT_EQ(c().dateToString(clock->currentDate()), "12:07:03");
    clock->setLocalDateTime(2026, 1, 15, 23, 59, 59);
    EXPECT_EQ(c().dateToString(clock->currentDate()), "11:59:59");
    clock->setLocalOffsetSeconds(3600);
    clock->setLocalDateTime(2026, 1, 15, 9, 0, 0);
    EXPECT_EQ(c().dateToString(clock->currentDate()), "9:00:00");
}
