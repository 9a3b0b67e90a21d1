#include "game/ControllerFixture.h"

#include "platform/ui/Animation.h"

#include <set>

namespace {
using R = platform::Rect;

bool overlaps(R a, R b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}
}

class LayoutTest : public ControllerTest {
protected:
    // The platform's rotation: the query, then (when accepted) the handler.
    bool rotate(int orientation) { return platform::Application::shared().setDeviceOrientation(orientation); }

    // The screen as it stands: the controls named in `parked` (and only they)
    // are at x = 9999, everything else lies inside the screen, and no two
    // things a finger can touch (buttons, name fields, the switch, the
    // wheels' container) overlap. The picker fills the container; the log
    // view fills it too, or is parked.
    void expectSoundLayout(const std::set<std::string>& parked, const std::string& when)
    {
        const bool portrait = c().isPortrait();
        const float width = portrait ? 320 : 480, height = portrait ? 480 : 320;
        std::vector<const platform::View*> touchable;
        for (const platform::View* v : c().view().subviews()) {
            const R f = v->frame();
            const std::string& name = v->objectName();
            if (parked.count(name)) {
                EXPECT_EQ(f.x, 9999) << when << ": " << name;
                continue;
            }
            EXPECT_TRUE(f.x >= 0 && f.y >= 0 && f.x + f.width <= width && f.y + f.height <= height)
                << when << ": " << name << " at " << f.x << ", " << f.y;
            if (dynamic_cast<const platform::Button*>(v) || dynamic_cast<const platform::TextField*>(v)
                || dynamic_cast<const platform::Switch*>(v) || v == c().containerView.get())
                touchable.push_back(v);
        }
        for (size_t i = 0; i < touchable.size(); ++i)
            for (size_t j = i + 1; j < touchable.size(); ++j)
                EXPECT_FALSE(overlaps(touchable[i]->frame(), touchable[j]->frame()))
                    << when << ": " << touchable[i]->objectName() << " and " << touchable[j]->objectName();
        const R inside { 0, 0, 320, 216 };
        EXPECT_EQ(c().containerView->frame().width, inside.width);
        EXPECT_EQ(c().containerView->frame().height, inside.height);
        EXPECT_EQ(c().picker->frame(), inside) << when;
        if (parked.count("logView"))
            EXPECT_EQ(c().logView->frame().x, 9999) << when;
        else
            EXPECT_EQ(c().logView->frame(), inside) << when;
    }
};

// Both tables, with and without the +5/-5 row and with either side of the
// flip view up, in all four orientations.
TEST_F(LayoutTest, EveryOrientationGivesASoundScreen)
{
    for (bool fiveButtons : { true, false }) {
        setting("is5hp", fiveButtons);
        launch();
        std::set<std::string> parked { "logView" };
        if (!fiveButtons)
            parked.insert({ "buttonDec5Hp0", "buttonDec5Hp1", "buttonInc5Hp0", "buttonInc5Hp1" });
        for (bool logShowing : { false, true }) {
            if (logShowing) {
                tap(*c().buttonLogView);
                parked.erase("logView");
            }
            for (int orientation : { 4, 1, 3, 2 }) {
                ASSERT_TRUE(rotate(orientation));
                expectSoundLayout(parked, "is5hp " + std::to_string(fiveButtons) + ", log "
                        + std::to_string(logShowing) + ", orientation " + std::to_string(orientation));
            }
        }
        quit();
    }
}

TEST_F(LayoutTest, RotationMovesTheBannerAndAppliesTheTablesInOneAnimation)
{
    launch();
    platform::Console::takeLines();
    platform::Animation::clearHistory();
    ASSERT_TRUE(rotate(4));
    EXPECT_TRUE(consoleHas("landscape"));
    EXPECT_FALSE(c().isPortrait());
    EXPECT_EQ(c().bannerView_->frame(), (R { 80, 250, 320, 50 }));
    // Each landscape column reads -5, -1, +1, +5 from the top.
    EXPECT_EQ(c().buttonDec5Hp0->frame(), (R { 6, 45, 66, 42 }));
    EXPECT_EQ(c().buttonInc5Hp1->frame(), (R { 408, 174, 66, 42 }));
    EXPECT_EQ(c().logView->frame(), (R { 9999, 9999, 320, 216 }));

    ASSERT_TRUE(rotate(1));
    EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(0));
    EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(5));
    EXPECT_EQ(c().bannerView_->frame(), (R { 0, 0, 320, 50 }));
    // The container sits three points lower than after the start-up.
    EXPECT_EQ(c().containerView->frame(), (R { 0, 83, 320, 216 }));
    // buttonInc1 one point right of buttonDec1.
    EXPECT_EQ(c().buttonDec1->frame(), (R { 252, 313, 66, 42 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 253, 356, 66, 42 }));
    // The five controls the start-up remembered are back where it found them.
    EXPECT_EQ(c().buttonReset->frame(), c().rectReset);
    EXPECT_EQ(c().buttonLogView->frame(), c().rectHist);
    EXPECT_EQ(c().buttonFacebook->frame(), c().rectFacebook);
    EXPECT_EQ(c().labelPoisonSwitch->frame(), c().rectLblPoison);
    EXPECT_EQ(c().switchPoison->frame(), c().rectSwiPoison);
    int moves = 0;
    for (const auto& record : platform::Animation::history())
        moves += record.name == "move buttons";
    EXPECT_EQ(moves, 2);
}

TEST_F(LayoutTest, WithoutFiveButtonsTheOnesDoubleInBothOrientations)
{
    setting("is5hp", false);
    launch();
    EXPECT_EQ(c().buttonDec0->frame(), (R { 2, 313, 132, 42 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 187, 356, 132, 42 }));
    ASSERT_TRUE(rotate(3));
    EXPECT_EQ(c().buttonDec0->frame(), (R { 6, 46, 66, 84 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 408, 131, 66, 84 }));
}

TEST_F(LayoutTest, LandscapeAtStartAcceptsOnlyLandscapeRightAndParksTheBanner)
{
    setting("isLandscapeAtStart", true);
    launch();
    EXPECT_EQ(platform::Application::shared().statusBarOrientation(), 3);
    for (int o : { 1, 2, 4 }) {
        c().bannerView_->setFrame({ 0, 0, 320, 50 });
        EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(o)) << o;
        EXPECT_EQ(c().bannerView_->frame(), (R { 80, 250, 320, 50 })) << o;
    }
    EXPECT_TRUE(c().shouldAutorotateToInterfaceOrientation(3));
}

TEST_F(LayoutTest, ThreePlayersNeverRotateAndTheBannerStays)
{
    setting("numPlayers", 3);
    launch();
    for (int o : { 1, 2, 3, 4 }) {
        EXPECT_FALSE(c().shouldAutorotateToInterfaceOrientation(o)) << o;
        EXPECT_FALSE(rotate(o)) << o;
    }
    EXPECT_EQ(c().bannerView_->frame(), (R { 0, 0, 320, 50 }));
    EXPECT_EQ(c().containerView->frame(), (R { 0, 138, 320, 216 }));
}

TEST_F(LayoutTest, ThreePlayersTurnedAtStartGetTheTwoPlayerTableButNoPoisonSwitch)
{
    setting("numPlayers", 3);
    setting("isLandscapeAtStart", true);
    launch();
    ASSERT_TRUE(rotate(3));
    EXPECT_EQ(c().containerView->frame(), (R { 80, 0, 320, 216 }));
    EXPECT_EQ(c().buttonReset->frame(), (R { 417, 276, 60, 20 }));
    EXPECT_EQ(c().switchPoison->frame().x, 9999);
    EXPECT_EQ(c().labelPoisonSwitch->frame().x, 9999);
    // Controls of the three-player layout are left where they were.
    EXPECT_EQ(c().diceButton()->frame(), (R { 203, 402, 50, 50 }));
}
