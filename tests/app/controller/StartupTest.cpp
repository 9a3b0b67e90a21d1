#include "game/ControllerFixture.h"

#include "ADSConfiguration.h"
#include "Object/ADSObjectPrivate.h"
#include "Statistics/ADSStatistics.h"

#include "platform/NotificationCenter.h"
#include "platform/ui/Image.h"
#include "platform/ui/WebView.h"

#include <chrono>
#include <map>
#include <thread>

namespace {
using R = platform::Rect;
}

class StartupTest : public ControllerTest { };

TEST_F(StartupTest, TwoPlayersFreshStartBuildsTheScreen)
{
    launch();
    EXPECT_TRUE(consoleHas("viewDidLoad start!"));
    EXPECT_EQ(c().view().frame().width, 320);
    EXPECT_EQ(c().view().frame().height, 460);
    EXPECT_EQ(c().bannerView_->frame(), (R { 0, 0, 320, 50 }));
    EXPECT_EQ(c().bannerView_->superview(), &c().view());
    EXPECT_EQ(c().containerView->frame(), (R { 0, 80, 320, 216 }));
    // The container is added last and lies in front of everything, the banner included.
    ASSERT_FALSE(c().view().subviews().empty());
    EXPECT_EQ(c().view().subviews().back(), c().containerView.get());
    EXPECT_EQ(c().picker->superview(), c().containerView.get());
    EXPECT_EQ(c().picker->frame(), (R { 0, 0, 320, 216 }));
    EXPECT_EQ(c().logView->frame(), (R { 9999, 9999, 320, 216 }));
    EXPECT_EQ(c().logView->superview(), nullptr);
    EXPECT_TRUE(c().frontViewVisible);
    EXPECT_EQ(c().gameRound, 1);
    EXPECT_TRUE(c().gameTimer);
    EXPECT_FALSE(c().isPoison);
    EXPECT_TRUE(c().ar_lblRandom.empty());
    EXPECT_EQ(c().diceButton(), nullptr);
    EXPECT_EQ(c().currentAlert(), nullptr);
}

TEST_F(StartupTest, EveryControlIsFoundByItsFieldName)
{
    launch();
    for (const char* name : { "buttonInc0", "buttonInc1", "buttonDec0", "buttonDec1", "buttonInc5Hp0",
             "buttonInc5Hp1", "buttonDec5Hp0", "buttonDec5Hp1", "buttonReset", "buttonFacebook", "buttonDice",
             "buttonSwap", "buttonLogView", "nameField0", "nameField1", "pelkLogo", "switchPoison", "labelPoison0",
             "labelPoison1", "labelPoisonSwitch", "bannerView_", "containerView", "picker" })
        EXPECT_NE(c().view().findByName(name), nullptr) << name;
}

TEST_F(StartupTest, ButtonsCarryTheirBackgroundsForTheWholeRun)
{
    launch();
    auto white = platform::Image::named("whiteButton.png");
    auto blue = platform::Image::named("blueButton.png");
    ASSERT_TRUE(white && blue) << "the button images belong in the resources folder";
    for (auto* b : { c().buttonInc0.get(), c().buttonInc1.get(), c().buttonDec0.get(), c().buttonDec1.get(),
             c().buttonInc5Hp0.get(), c().buttonInc5Hp1.get(), c().buttonDec5Hp0.get(), c().buttonDec5Hp1.get(),
             c().buttonReset.get(), c().buttonSwap.get(), c().buttonLogView.get(), c().buttonDice.get() }) {
        auto normal = b->backgroundImage(platform::ControlStateNormal);
        auto highlighted = b->backgroundImage(platform::ControlStateHighlighted);
        ASSERT_TRUE(normal && highlighted) << b->objectName();
        EXPECT_EQ(normal->name(), white->name()) << b->objectName();
        EXPECT_EQ(normal->leftCapWidth(), 12);
        EXPECT_EQ(normal->topCapHeight(), 0);
        EXPECT_EQ(highlighted->name(), blue->name()) << b->objectName();
    }
    auto icon = c().buttonFacebook->backgroundImage(platform::ControlStateNormal);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->leftCapWidth(), 0);
    ASSERT_TRUE(c().buttonFacebook->backgroundImage(platform::ControlStateHighlighted));
}

TEST_F(StartupTest, FourPlayersGetTheirOwnLayout)
{
    setting("numPlayers", 4);
    launch();
    ASSERT_EQ(c().ar_nameField.size(), 4u);
    const float nameX[] = { 3, 78, 153, 228 };
    const float labelX[] = { 23, 98, 173, 248 };
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(c().ar_nameField[p]->frame(), (R { nameX[p], 75, 84, 40 })) << p;
        EXPECT_FLOAT_EQ(c().ar_nameField[p]->transformRotation(), 1.5708f) << p;
        EXPECT_EQ(c().ar_lblRandom[p]->frame(), (R { labelX[p], 353, 40, 40 })) << p;
    }
    EXPECT_EQ(c().ar_nameField[2]->text(), "Orrin");
    EXPECT_EQ(c().ar_nameField[3]->text(), "Ajani");
    EXPECT_EQ(c().ar_nameField[3]->font(), c().nameField0->font());
    EXPECT_EQ(c().nameField0->contentHorizontalAlignment(), platform::TextAlignment::Left);
    EXPECT_EQ(c().buttonDec0->frame(), (R { 2, 395, 66, 61 }));
    EXPECT_EQ(c().buttonInc0->frame(), (R { 70, 395, 66, 61 }));
    EXPECT_EQ(c().buttonLogView->frame(), (R { 151, 402, 50, 50 }));
    ASSERT_NE(c().diceButton(), nullptr);
    EXPECT_EQ(c().diceButton()->frame(), (R { 203, 402, 50, 50 }));
    EXPECT_EQ(c().diceButton()->title(), "Dice");
    EXPECT_EQ(c().view().findByName("dice"), c().diceButton());
    EXPECT_EQ(c().containerView->frame(), (R { 0, 138, 320, 216 }));
    for (auto* parked : { c().buttonDec1.get(), c().buttonInc1.get(), c().buttonSwap.get(), c().buttonDice.get(),
             c().buttonInc5Hp0.get() })
        EXPECT_EQ(parked->frame().x, 9999) << parked->objectName();
    // The further wheels exist and hold twenty.
    EXPECT_EQ(c().picker->numberOfComponents(), 4);
    EXPECT_EQ(c().getHP(3), 20);
    // Editing an extra name field ends like the others.
    c().ar_nameField[3]->simulateUserEdit("Nahiri");
    EXPECT_EQ(c().ar_nameField[3]->text(), "Nahiri");
    EXPECT_FALSE(c().ar_nameField[3]->isFirstResponder());
}

TEST_F(StartupTest, SevenPlayersStartLeftOfTheScreenWithAnEmptySeventhName)
{
    setting("numPlayers", 7);
    launch();
    ASSERT_EQ(c().ar_nameField.size(), 7u);
    EXPECT_EQ(c().ar_nameField[0]->frame().x, -13);
    EXPECT_EQ(c().ar_nameField[6]->frame().x, 42 * 6 - 13);
    EXPECT_EQ(c().ar_nameField[4]->text(), "Liliana");
    EXPECT_EQ(c().ar_nameField[5]->text(), "Chandra");
    EXPECT_EQ(c().ar_nameField[6]->text(), "");
}

TEST_F(StartupTest, ThreePlayersWithoutFivesBringTheDoubleOnesBack)
{
    setting("numPlayers", 3);
    setting("is5hp", false);
    launch();
    EXPECT_EQ(c().buttonDec0->frame(), (R { 2, 313, 132, 42 }));
    EXPECT_EQ(c().buttonInc0->frame(), (R { 2, 356, 132, 42 }));
    EXPECT_EQ(c().buttonDec1->frame(), (R { 186, 313, 132, 42 }));
    EXPECT_EQ(c().buttonInc1->frame(), (R { 187, 356, 132, 42 }));
}

TEST_F(StartupTest, TerminationSavesTheGame)
{
    launch();
    tap(*c().buttonDec1);
    ASSERT_FALSE(platform::FileSystem::exists(savedGamePath()));
    platform::NotificationCenter::defaultCenter().post(platform::kApplicationWillTerminateNotification,
        &platform::Application::shared());
    auto saved = platform::PropertyList::readFile(savedGamePath());
    ASSERT_TRUE(saved && saved->isArray());
    EXPECT_EQ(saved->asArray().at(5), platform::Value("19"));
    // A destroyed controller no longer listens.
    quit();
    platform::FileSystem::removeFile(savedGamePath());
    platform::NotificationCenter::defaultCenter().post(platform::kApplicationWillTerminateNotification,
        &platform::Application::shared());
    EXPECT_FALSE(platform::FileSystem::exists(savedGamePath()));
}

// No ad server listens here, so the banner's one load fails; nothing but the
// banner's own web view may tell, and that stays hidden over the logo.
TEST_F(StartupTest, TheBannerAsksOnceForAnAdAndAFailureLeavesTheScreenAsItWas)
{
    const int64_t requestsBefore = ADSStatistics::sharedStatistics().adRequestCount();
    launch();
    ADSBannerView& banner = *c().bannerView_;
    EXPECT_EQ(banner.adUnitID(), ADSConfiguration::adUnitID());
    EXPECT_EQ(banner.rootViewController(), &c());
    EXPECT_EQ(banner.delegate(), nullptr) << "no ad event reaches the game";
    ADSObjectPrivate& ad = banner.privateObject();
    // The closed port may refuse within the launch's own turn of the loop.
    EXPECT_TRUE(ad.isMakingRequest() || ad.state() == ADSObjectPrivate::ScriptFailed) << ad.state();
    ASSERT_NE(ad.request(), nullptr);
    EXPECT_EQ(ADSStatistics::sharedStatistics().adRequestCount(), requestsBefore + 1);

    std::map<std::string, platform::Rect> before;
    for (platform::View* v : c().view().subviews())
        before[v->objectName()] = v->frame();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ad.isMakingRequest() && std::chrono::steady_clock::now() < deadline) {
        platform::RunLoop::main().runPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(ad.state(), ADSObjectPrivate::ScriptFailed);
    EXPECT_TRUE(banner.webView().isHidden());
    EXPECT_FALSE(c().pelkLogo->isHidden());
    EXPECT_EQ(ADSStatistics::sharedStatistics().adRequestCount(), requestsBefore + 1) << "a failure asks no more";
    for (platform::View* v : c().view().subviews())
        EXPECT_EQ(v->frame(), before[v->objectName()]) << v->objectName();
}
