#include "game/ControllerFixture.h"

#include <limits>

class SettingsTest : public ControllerTest { };

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults)
{
    launch();
    EXPECT_EQ(c().numPlayers, 2);
    EXPECT_TRUE(c().isShown5hp);
    EXPECT_TRUE(c().isAskBeforeReset);
    EXPECT_TRUE(c().isThrow2Dices);
    EXPECT_TRUE(c().isAlwaysOn);
    EXPECT_EQ(c().diceFaceType, 20);
    EXPECT_FALSE(c().isDiceRepeat);
    EXPECT_FALSE(c().isLandscapeAtStart);
    EXPECT_TRUE(platform::Application::shared().isIdleTimerDisabled());
    EXPECT_TRUE(c().shouldAutorotateToInterfaceOrientation(4));
    EXPECT_NE(c().buttonDec5Hp0->frame().x, 9999);
}

TEST_F(SettingsTest, StoredNoAndZeroWinOverTheDefaults)
{
    setting("is5hp", false);
    setting("isAskBeforeReset", false);
    setting("isThrow2Dices", false);
    setting("isAlwaysOn", false);
    setting("diceFaceType", 0);
    setting("isDiceRepeat", true);
    setting("isLandscapeAtStart", true);
    setting("numPlayers", 3);
    launch();
    EXPECT_FALSE(c().isShown5hp);
    EXPECT_FALSE(c().isAskBeforeReset);
    EXPECT_FALSE(c().isThrow2Dices);
    EXPECT_FALSE(c().isAlwaysOn);
    EXPECT_FALSE(platform::Application::shared().isIdleTimerDisabled());
    EXPECT_EQ(c().diceFaceType, 1);
    EXPECT_TRUE(c().isDiceRepeat);
    EXPECT_TRUE(c().isLandscapeAtStart);
    EXPECT_EQ(c().numPlayers, 3);
}

TEST_F(SettingsTest, StringsFromTheSettingsWindowConvertAsTheStoreDoes)
{
    setting("is5hp", "NO");
    setting("numPlayers", "4");
    setting("diceFaceType", "12");
    launch();
    EXPECT_FALSE(c().isShown5hp);
    EXPECT_EQ(c().numPlayers, 4);
    EXPECT_EQ(c().buttonDice->title(), "D12 x2");
}

TEST_F(SettingsTest, PlayerAndFaceCountsAreKeptInSaneBounds)
{
    setting("numPlayers", 100000);
    setting("diceFaceType", int64_t(1) << 40);
    launch();
    EXPECT_EQ(c().numPlayers, 12);
    EXPECT_EQ(c().ar_pickerData.size(), 12u);
    EXPECT_EQ(c().picker->numberOfComponents(), 12);
    EXPECT_EQ(c().diceFaceType, std::numeric_limits<int32_t>::max());
}

TEST_F(SettingsTest, ReturningToTheForegroundRereadsOnlyTheLandscapeSetting)
{
    launch();
    platform::Rect bannerBefore = c().bannerView_->frame();
    std::vector<platform::Rect> before;
    for (platform::View* v : c().view().subviews())
        before.push_back(v->frame());

    setting("isLandscapeAtStart", true);
    setting("is5hp", false);
    setting("numPlayers", 5);
    setting("isAskBeforeReset", false);
    c().reloadSetting();
    EXPECT_TRUE(c().isLandscapeAtStart);
    EXPECT_TRUE(c().isShown5hp);
    EXPECT_EQ(c().numPlayers, 2);
    EXPECT_TRUE(c().isAskBeforeReset);
    std::vector<platform::Rect> after;
    for (platform::View* v : c().view().subviews())
        after.push_back(v->frame());
    EXPECT_EQ(before, after);
    EXPECT_EQ(c().bannerView_->frame(), bannerBefore);

    // The next query, even for portrait, answers as landscape-only.
    EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(1));
    EXPECT_EQ(c().bannerView_->frame(), (platform::Rect { 80, 250, 320, 50 }));

    platform::UserDefaults::standard().removeObject("isLandscapeAtStart");
    c().reloadSetting();
    EXPECT_FALSE(c().isLandscapeAtStart);
}
