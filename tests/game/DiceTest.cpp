#include "ControllerFixture.h"

#include <chrono>
#include <cstdlib>
#include <set>
#include <sstream>

class DiceTest : public ControllerTest {
protected:
    std::pair<int, int> twoDice()
    {
        const std::string t = c().buttonDice->title();
        std::istringstream in(t);
        int a = 0, b = 0;
        char comma = 0;
        in >> a >> comma >> b;
        EXPECT_EQ(comma, ',') << t;
        return { a, b };
    }
    std::vector<int> labels()
    {
        std::vector<int> values;
        for (const auto& label : c().ar_lblRandom)
            values.push_back(std::stoi(label->text()));
        return values;
    }
};

TEST_F(DiceTest, InitialTitleShowsTheFacesAndTheNumberOfDice)
{
    launch();
    EXPECT_EQ(c().buttonDice->title(), "D20 x2");
    const float sizeBefore = c().buttonDice->font().size;
    quit();

    setting("isThrow2Dices", false);
    setting("diceFaceType", 6);
    launch();
    EXPECT_EQ(c().buttonDice->title(), "D6 Dice");
    EXPECT_EQ(c().buttonDice->font().size, 8);
    EXPECT_NE(sizeBefore, 8);
}

TEST_F(DiceTest, OneDieCoversOneToFacesInRedAtThirtyPoints)
{
    setting("isThrow2Dices", false);
    launch();
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        tap(*c().buttonDice);
        const int v = std::stoi(c().buttonDice->title());
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 20);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 20u);
    EXPECT_EQ(c().buttonDice->titleColor(), platform::Color::red_());
    EXPECT_EQ(c().buttonDice->font(), c().buttonDec5Hp0->font().withSize(30));
}

TEST_F(DiceTest, TwoDiceDifferUnlessRepeatsAreAllowed)
{
    setting("diceFaceType", 6);
    launch();
    for (int i = 0; i < 300; ++i) {
        tap(*c().buttonDice);
        auto [a, b] = twoDice();
        ASSERT_NE(a, b);
        ASSERT_TRUE(a >= 1 && a <= 6 && b >= 1 && b <= 6);
    }
    EXPECT_EQ(c().buttonDice->font(), c().buttonReset->font().withSize(16));
    EXPECT_EQ(c().buttonDice->titleColor(), platform::Color::red_());
    quit();

    setting("isDiceRepeat", true);
    launch();
    bool pair = false;
    for (int i = 0; i < 300 && !pair; ++i) {
        tap(*c().buttonDice);
        auto [a, b] = twoDice();
        pair = a == b;
    }
    EXPECT_TRUE(pair);
    EXPECT_EQ(c().buttonDice->font().size, 16);
}

TEST_F(DiceTest, PlayersDrawDistinctFacesAndTheFirstCanDrawAny)
{
    setting("numPlayers", 3);
    setting("diceFaceType", 6);
    launch();
    ASSERT_NE(c().diceButton(), nullptr);
    std::set<int> firstPlayer;
    for (int i = 0; i < 500; ++i) {
        tap(*c().diceButton());
        const auto v = labels();
        ASSERT_EQ(v.size(), 3u);
        ASSERT_EQ(std::set<int>(v.begin(), v.end()).size(), 3u);
        for (int x : v)
            ASSERT_TRUE(x >= 1 && x <= 6);
        firstPlayer.insert(v[0]);
    }
    EXPECT_EQ(firstPlayer, (std::set<int> { 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(c().ar_lblRandom[2]->textColor(), platform::Color::red_());
}

TEST_F(DiceTest, DrawWithoutReplacementFollowsTheSwapAlgorithm)
{
    setting("numPlayers", 5);
    setting("diceFaceType", 9);
    launch();
    for (unsigned seed : { 1u, 7u, 12345u }) {
        // The draw of the whole list of faces, as a player would do it by hand.
        srandom(seed);
        std::vector<int> faces(9);
        for (int i = 0; i < 9; ++i)
            faces[i] = i;
        std::vector<int> expected;
        for (int i = 0; i < 5; ++i) {
            const int j = int(random() % (9 - i));
            expected.push_back(faces[j] + 1);
            std::swap(faces[j], faces[9 - 1 - i]);
        }
        srandom(seed);
        tap(*c().diceButton());
        EXPECT_EQ(labels(), expected) << seed;
    }
}

TEST_F(DiceTest, HugeFaceCountsThrowAtOnce)
{
    setting("numPlayers", 6);
    setting("diceFaceType", 2147483647);
    launch();
    const auto start = std::chrono::steady_clock::now();
    tap(*c().diceButton());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    const auto v = labels();
    EXPECT_EQ(std::set<int>(v.begin(), v.end()).size(), 6u);
    for (int x : v)
        EXPECT_GE(x, 1);
}

TEST_F(DiceTest, TooFewFacesFallBackToRepeats)
{
    setting("diceFaceType", 0);
    launch();
    EXPECT_EQ(c().diceFaceType, 1);
    EXPECT_EQ(c().buttonDice->title(), "D1 x2");
    tap(*c().buttonDice);
    EXPECT_EQ(c().buttonDice->title(), "1, 1");
    quit();

    setting("diceFaceType", 2);
    setting("numPlayers", 4);
    launch();
    bool repeat = false;
    for (int i = 0; i < 50; ++i) {
        tap(*c().diceButton());
        const auto v = labels();
        for (int x : v)
            ASSERT_TRUE(x == 1 || x == 2);
        repeat = repeat || std::set<int>(v.begin(), v.end()).size() < v.size();
    }
    EXPECT_TRUE(repeat);
}

TEST_F(DiceTest, StartsInTheSameSecondThrowAlike)
{
    setting("diceFaceType", 100);
    launch();
    std::vector<std::string> first;
    for (int i = 0; i < 5; ++i) {
        tap(*c().buttonDice);
        first.push_back(c().buttonDice->title());
    }
    quit();
    advance(0.4);
    launch();
    std::vector<std::string> second;
    for (int i = 0; i < 5; ++i) {
        tap(*c().buttonDice);
        second.push_back(c().buttonDice->title());
    }
    EXPECT_EQ(first, second);
}
