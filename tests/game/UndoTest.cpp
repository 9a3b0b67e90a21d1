#include "ControllerFixture.h"

#include <random>

class UndoTest : public ControllerTest {
protected:
    using Change = TolvaneViewController::GameChange;
    void SetUp() override
    {
        ControllerTest::SetUp();
        launchWithoutAsking();
        c().nameField0->setText("Kim");
        c().nameField1->setText("Lee");
        c().onGameChanged = [this](Change change) { changes.push_back(change); };
    }
    std::vector<Change> changes;
};

// A run of presses merged into one log entry comes apart step by step: each
// undo gives back the totals and the log exactly as they were before that
// press (the merged entry with its earlier value and time, the same name
// value), and redo walks forward again to the same states.
TEST_F(UndoTest, MergedEntriesComeApartExactlyAndRedoWalksBack)
{
    std::vector<GameSnapshot> states { c().snapshotGame() };
    tap(*c().buttonInc0);
    states.push_back(c().snapshotGame());
    advance(1);
    tap(*c().buttonInc0);
    states.push_back(c().snapshotGame());
    ASSERT_EQ(c().arHp.size(), 1u); // merged: one entry, 22, at the second press
    ASSERT_EQ(c().arTimeString[0], "2:05:10");

    EXPECT_TRUE(c().undo());
    EXPECT_EQ(c().snapshotGame(), states[1]);
    EXPECT_EQ(c().getHP(0), 21);
    EXPECT_EQ(c().arTimeString[0], "2:05:09");
    EXPECT_TRUE(c().undo());
    EXPECT_EQ(c().snapshotGame(), states[0]);
    EXPECT_FALSE(c().undo());
    EXPECT_TRUE(c().redo());
    EXPECT_TRUE(c().redo());
    EXPECT_EQ(c().snapshotGame(), states[2]);
    EXPECT_FALSE(c().redo());

    // A merge after an undo still merges with the restored entry.
    c().undo();
    advance(1);
    tap(*c().buttonInc0);
    EXPECT_EQ(c().arHp, (std::vector<int> { 22 }));
    EXPECT_FALSE(c().canRedo()); // a new change drops what was undone
}

// Whatever the mix of buttons and wheels (growing columns, refused moves,
// players' log entries interleaved), undoing every step walks back through
// every state the player saw, and redoing walks forward through them again.
TEST_F(UndoTest, EveryStepOfAMixedGameIsUndoneAndRedoneInOrder)
{
    std::mt19937 random(11);
    platform::Button* buttons[] = { c().buttonInc0.get(), c().buttonDec0.get(), c().buttonInc5Hp0.get(),
        c().buttonDec5Hp0.get(), c().buttonInc1.get(), c().buttonDec1.get(), c().buttonInc5Hp1.get(),
        c().buttonDec5Hp1.get() };
    std::vector<GameSnapshot> states { c().snapshotGame() };
    for (int step = 0; step < 60; ++step) {
        const auto before = c().snapshotGame();
        const unsigned pick = random() % 10;
        if (pick < 8) {
            tap(*buttons[pick]);
        } else {
            const int component = int(pick - 8);
            turnWheel(int(random() % unsigned(rows(component))), component);
        }
        advance(double(random() % 5)); // sometimes merging, sometimes not
        if (c().snapshotGame() == before) {
            EXPECT_FALSE(c().canRedo());
            continue; // a refused move is no step
        }
        states.push_back(c().snapshotGame());
    }
    ASSERT_GT(states.size(), 30u);
    for (size_t k = states.size() - 1; k-- > 0;) {
        ASSERT_TRUE(c().undo()) << k;
        ASSERT_EQ(c().snapshotGame(), states[k]) << "undo to state " << k;
    }
    EXPECT_FALSE(c().undo());
    for (size_t k = 1; k < states.size(); ++k) {
        ASSERT_TRUE(c().redo()) << k;
        ASSERT_EQ(c().snapshotGame(), states[k]) << "redo to state " << k;
    }
}

// The history belongs to one round with one arrangement: a reset, a swap or
// the poison switch ends it. Poison counts turned on their wheels are steps
// of their own. Every change is told once, with what made it.
TEST_F(UndoTest, ResetSwapAndPoisonEndTheHistoryAndEveryChangeIsToldOnce)
{
    tap(*c().buttonInc0);
    tap(*c().buttonDec1);
    EXPECT_EQ(changes, (std::vector<Change> { Change::Play, Change::Play }));
    c().swapButton(c().buttonSwap.get());
    EXPECT_FALSE(c().canUndo());
    tap(*c().buttonInc0);
    c().switchPoison->simulateUserSet(true);
    EXPECT_FALSE(c().canUndo());
    turnWheel(7, 1); // player 0's poison: 3
    turnWheel(9, 2);
    EXPECT_TRUE(c().undo());
    EXPECT_EQ(c().getPoisonCnt(1), 0);
    EXPECT_EQ(c().getPoisonCnt(0), 3);
    EXPECT_EQ(c().arHp.size(), 4u); // the poison entry of player 1 is gone, player 0's stays
    c().DoReset();
    EXPECT_FALSE(c().canUndo());
    EXPECT_FALSE(c().canRedo());
    c().ar_nameField[0]->simulateUserEdit("Kai");
    EXPECT_EQ(changes, (std::vector<Change> { Change::Play, Change::Play, Change::Swap, Change::Play,
                           Change::PoisonMode, Change::Play, Change::Play, Change::Undo, Change::Reset, Change::Name }));
}

// "All +1" and "All -1" are one step each for every player at once, and the
// log side, when it shows, shows the log as it was.
TEST_F(UndoTest, AllPlayersStepTogetherAndTheShownLogFollows)
{
    quit();
    setting("numPlayers", 4);
    launchWithoutAsking();
    tap(*c().buttonInc0);
    tap(*c().buttonInc0);
    c().handleLogButton(c().buttonLogView.get());
    const std::string shown = c().logView->text();
    tap(*c().buttonDec0);
    for (int p = 0; p < 4; ++p)
        ASSERT_EQ(c().getHP(p), 21);
    ASSERT_TRUE(c().undo());
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(c().getHP(p), 22) << p;
    EXPECT_EQ(c().logView->text(), shown);
}
