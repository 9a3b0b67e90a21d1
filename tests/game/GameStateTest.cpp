#include "ControllerFixture.h"

class GameStateTest : public ControllerTest { };

TEST_F(GameStateTest, ReadersAnswerNeutrallyBeforeTheColumnsExist)
{
    TolvaneViewController fresh;
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(fresh.getHP(p), 0);
        EXPECT_EQ(fresh.getPoisonCnt(p), -1);
    }
}

TEST_F(GameStateTest, FreshTwoPlayerGameStartsAtTwentyInSharedColumns)
{
    launch();
    ASSERT_EQ(c().ar_pickerData.size(), 2u);
    EXPECT_EQ(c().ar_pickerData[0], c().pickerData0);
    EXPECT_EQ(c().ar_pickerData[1], c().pickerData1);
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(c().ar_pickerData[p]->max(), 30);
        EXPECT_EQ(c().ar_pickerData[p]->min(), -5);
        EXPECT_EQ(rows(p), 36);
        EXPECT_EQ(selected(p), 10);
        EXPECT_EQ(c().getHP(p), 20);
        EXPECT_EQ(c().getPoisonCnt(p), -1);
    }
    ASSERT_EQ(c().ar_nameField.size(), 2u);
    EXPECT_EQ(c().ar_nameField[0], c().nameField0.get());
    EXPECT_EQ(c().ar_nameField[1], c().nameField1.get());
    ASSERT_EQ(c().ar_poisonData.size(), 2u);
    EXPECT_EQ(c().ar_poisonData[0].size(), 12u);
    EXPECT_EQ(c().ar_poisonData[0].front(), "10");
    EXPECT_EQ(c().ar_poisonData[0][10], "0");
    EXPECT_EQ(c().arPoison, (std::vector<int> { 0, 0 }));
}

TEST_F(GameStateTest, PlayerToComponentMappingFollowsTheMode)
{
    launch();
    EXPECT_EQ(c().conventPoisonPlayerCol(0), 0);
    EXPECT_EQ(c().conventPoisonPlayerCol(1), 1);
    EXPECT_EQ(c().conventPoisonPlayerCol(5), 5);
    c().switchPoison->simulateUserSet(true);
    EXPECT_EQ(c().conventPoisonPlayerCol(0), 0);
    EXPECT_EQ(c().conventPoisonPlayerCol(1), 3);
    EXPECT_EQ(c().conventPoisonPlayerCol(2), 0);
    // In poison mode player 1 is read from component 3, player 0 from component 0.
    select(4, 3);
    select(12, 0);
    EXPECT_EQ(c().getHP(1), 26);
    EXPECT_EQ(c().getHP(0), 18);
}

TEST_F(GameStateTest, FurtherPlayersColumnStartsAtThirtyDownToOne)
{
    setting("numPlayers", 3);
    launch();
    ASSERT_EQ(c().ar_pickerData.size(), 3u);
    EXPECT_EQ(c().ar_pickerData[2]->max(), 30);
    EXPECT_EQ(c().ar_pickerData[2]->min(), 1);
    EXPECT_EQ(rows(2), 30);
    EXPECT_EQ(selected(2), 10);
    EXPECT_EQ(c().getHP(2), 20);
    EXPECT_EQ(c().ar_nameField.size(), 3u);
}
