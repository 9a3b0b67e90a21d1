#include "ControllerFixture.h"

#include "UndoHistory.h"

#include <deque>
#include <ostream>
#include <random>

namespace {
// Everything a player can see of the game, the log copied whole.
struct Game {
    std::vector<int> totals;
    std::vector<int> poisonCounts;
    std::vector<platform::Date> times;
    std::vector<std::string> timeTexts;
    std::vector<std::shared_ptr<const std::string>> names; // by identity
    std::vector<int> values;

    bool operator==(const Game&) const = default;
};

void PrintTo(const Game& game, std::ostream* os)
{
    *os << "totals";
    for (int total : game.totals)
        *os << " " << total;
    // The newest entries are where steps differ.
    *os << ", log of " << game.values.size() << ", newest";
    for (size_t k = game.values.size() > 6 ? game.values.size() - 6 : 0; k < game.values.size(); ++k)
        *os << " [" << game.timeTexts[k] << " " << (game.names[k] ? *game.names[k] : "-") << " " << game.values[k] << "]";
}
}

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
    Game seen()
    {
        GameSnapshot s = c().snapshotGame();
        return { s.totals, s.poisonCounts, c().arTime, c().arTimeString, c().arName, c().arHp };
    }
    void playAgainstModel(std::mt19937 random)
    {
        platform::Button* buttons[] = { c().buttonInc0.get(), c().buttonDec0.get(), c().buttonInc5Hp0.get(),
            c().buttonDec5Hp0.get(), c().buttonInc1.get(), c().buttonDec1.get(), c().buttonInc5Hp1.get(),
            c().buttonDec5Hp1.get() };
        const int wheels = int(c().ar_pickerData.size());
        std::deque<Game> past;
        std::vector<Game> future;
        Game now = seen();
        size_t deepest = 0;
        size_t longestLog = 0;
        // Undo walks the model from past to future, redo back: the game now
        // goes onto one side and the other side's newest comes back.
        const auto walk = [&now](auto& from, auto& to) {
            to.push_back(std::move(now));
            now = std::move(from.back());
            from.pop_back();
        };
        for (int action = 0; action < 800; ++action) {
            const unsigned pick = random() % 100;
            if (action == 400) {
                c().swapButton(c().buttonSwap.get());
                past.clear();
                future.clear();
                now = seen();
            } else if (pick < 15) {
                ASSERT_EQ(c().undo(), !past.empty()) << action;
                if (!past.empty())
                    walk(past, future);
            } else if (pick < 25) {
                ASSERT_EQ(c().redo(), !future.empty()) << action;
                if (!future.empty())
                    walk(future, past);
            } else if (pick < 30) {
                c().ar_nameField[random() % 2]->simulateUserEdit("Name " + std::to_string(action));
            } else {
                if (pick < 85) {
                    tap(*buttons[random() % 8]);
                } else {
                    const int component = int(random() % unsigned(wheels));
                    turnWheel(int(random() % unsigned(rows(component))), component);
                }
                Game after = seen();
                if (!(after == now)) {
                    ASSERT_GE(after.values.size(), now.values.size()) << action;
                    const size_t shared = now.values.empty() ? 0 : now.values.size() - 1;
                    const auto samePrefix = [shared](const auto& a, const auto& b) {
                        return std::equal(a.begin(), a.begin() + ptrdiff_t(shared), b.begin());
                    };
                    ASSERT_TRUE(samePrefix(now.times, after.times) && samePrefix(now.timeTexts, after.timeTexts)
                        && samePrefix(now.names, after.names) && samePrefix(now.values, after.values))
                        << "play rewrote an entry before the last, action " << action;
                    past.push_back(std::move(now));
                    if (past.size() > UndoHistory::kMaxSteps)
                        past.pop_front();
                    future.clear();
                    now = std::move(after);
                }
            }
            advance(double(random() % 5)); // within the merge window or past it
            ASSERT_EQ(seen(), now) << "after action " << action;
            ASSERT_EQ(c().canUndo(), !past.empty()) << action;
            ASSERT_EQ(c().canRedo(), !future.empty()) << action;
            deepest = std::max(deepest, past.size());
            longestLog = std::max(longestLog, now.values.size());
        }
        EXPECT_EQ(deepest, UndoHistory::kMaxSteps);
        EXPECT_GT(longestLog, 250u);
        while (!past.empty()) {
            ASSERT_TRUE(c().undo());
            now = std::move(past.back());
            past.pop_back();
            ASSERT_EQ(seen(), now) << past.size() << " steps left";
        }
        EXPECT_FALSE(c().undo());
    }
    std::vector<Change> changes;
};

// A run of presses merged into one log entry comes apart step by step: each
// undo gives back the totals and the log exactly as they were before that
// press (the merged entry with its earlier value and time, the same name
// value), and redo walks forward again to the same states.
TEST_F(UndoTest, MergedEntriesComeApartExactlyAndRedoWalksBack)
{
    std::vector<Game> states { seen() };
    tap(*c().buttonInc0);
    states.push_back(seen());
    advance(1);
    tap(*c().buttonInc0);
    states.push_back(seen());
    ASSERT_EQ(c().arHp.size(), 1u); // merged: one entry, 22, at the second press
    ASSERT_EQ(c().arTimeString[0], "2:05:10");

    EXPECT_TRUE(c().undo());
    EXPECT_EQ(seen(), states[1]);
    EXPECT_EQ(c().getHP(0), 21);
    EXPECT_EQ(c().arTimeString[0], "2:05:09");
    EXPECT_TRUE(c().undo());
    EXPECT_EQ(seen(), states[0]);
    EXPECT_FALSE(c().undo());
    EXPECT_TRUE(c().redo());
    EXPECT_TRUE(c().redo());
    EXPECT_EQ(seen(), states[2]);
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
    std::vector<Game> states { seen() };
    for (int step = 0; step < 60; ++step) {
        const auto before = seen();
        const unsigned pick = random() % 10;
        if (pick < 8) {
            tap(*buttons[pick]);
        } else {
            const int component = int(pick - 8);
            turnWheel(int(random() % unsigned(rows(component))), component);
        }
        advance(double(random() % 5)); // sometimes merging, sometimes not
        if (seen() == before) {
            EXPECT_FALSE(c().canRedo());
            continue; // a refused move is no step
        }
        states.push_back(seen());
    }
    ASSERT_GT(states.size(), 30u);
    for (size_t k = states.size() - 1; k-- > 0;) {
        ASSERT_TRUE(c().undo()) << k;
        ASSERT_EQ(seen(), states[k]) << "undo to state " << k;
    }
    EXPECT_FALSE(c().undo());
    for (size_t k = 1; k < states.size(); ++k) {
        ASSERT_TRUE(c().redo()) << k;
        ASSERT_EQ(seen(), states[k]) << "redo to state " << k;
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

// Against a model that keeps every state whole: through taps merged into the
// last entry or not, wheel turns, name edits, undos, redos, new changes after
// undos and a swap, the game after every action is the model's, play only
// adds log entries or rewrites the last one, and beyond the step limit the
// oldest steps are gone.
TEST_F(UndoTest, UndoAndRedoMatchAModelThatKeepsEveryStateWhole)
{
    // Two players, then four, where "All +1" adds several entries in one step.
    for (int players : { 2, 4 }) {
        SCOPED_TRACE(std::to_string(players) + " players");
        quit();
        setting("numPlayers", players);
        launchWithoutAsking();
        playAgainstModel(std::mt19937(2026 + unsigned(players)));
        if (HasFatalFailure())
            return;
    }
}
