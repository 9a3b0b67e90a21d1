#include "game/ControllerFixture.h"

#include "platform/ui/Image.h"

class SwapTest : public ControllerTest { };

TEST_F(SwapTest, SwapExchangesNamesAndTotalsOverTheCommonRange)
{
    launch();
    c().nameField0->setText("Orrin");
    c().nameField1->setText("Ajani");
    c().AddItemToPicker(17, 1); // 47 .. -5
    select(10, 1);              // 37
    ASSERT_EQ(c().getHP(1), 37);
    ASSERT_EQ(c().getHP(0), 20);
    tap(*c().buttonSwap);
    EXPECT_EQ(c().nameField0->text(), "Ajani");
    EXPECT_EQ(c().nameField1->text(), "Orrin");
    EXPECT_EQ(c().maxOfPicker(0), 47);
    EXPECT_EQ(c().minOfPicker(0), -5);
    EXPECT_EQ(selected(0), 10);
    EXPECT_EQ(c().getHP(0), 37);
    EXPECT_EQ(selected(1), 27);
    EXPECT_EQ(c().getHP(1), 20);
    EXPECT_TRUE(c().arHp.empty());

    tap(*c().buttonSwap);
    EXPECT_EQ(c().nameField0->text(), "Orrin");
    EXPECT_EQ(c().getHP(0), 20);
    EXPECT_EQ(c().getHP(1), 37);
    EXPECT_EQ(c().maxOfPicker(0), 47);
    EXPECT_EQ(c().maxOfPicker(1), 47);
}

TEST_F(SwapTest, BottomsAreEqualisedToo)
{
    launch();
    c().AddItemToPickerBottom(20, 0); // 30 .. -25
    select(50, 0);                    // -20
    c().AddItemToPicker(10, 1);       // 40 .. -5, the selection now on 30
    ASSERT_EQ(c().getHP(1), 30);
    tap(*c().buttonSwap);
    EXPECT_EQ(c().minOfPicker(0), -25);
    EXPECT_EQ(c().minOfPicker(1), -25);
    EXPECT_EQ(c().maxOfPicker(0), 40);
    EXPECT_EQ(c().maxOfPicker(1), 40);
    EXPECT_EQ(c().getHP(0), 30);
    EXPECT_EQ(c().getHP(1), -20);
    EXPECT_EQ(rows(0), rows(1));
}

TEST_F(SwapTest, PoisonModeRefusesTheSwap)
{
    launch();
    c().nameField0->setText("Orrin");
    select(5, 1);
    c().switchPoison->simulateUserSet(true);
    const int h0 = c().getHP(0), h1 = c().getHP(1);
    tap(*c().buttonSwap);
    EXPECT_EQ(c().nameField0->text(), "Orrin");
    EXPECT_EQ(c().getHP(0), h0);
    EXPECT_EQ(c().getHP(1), h1);
}

TEST_F(SwapTest, EndingANameEditRestoresTheInterfaceFont)
{
    launch();
    c().nameField1->setFont(platform::Font::systemFont(9));
    c().nameField1->becomeFirstResponder();
    c().nameField1->simulateUserEdit("A very long name for a small field");
    EXPECT_EQ(c().nameField1->font(), c().fontNameField);
    EXPECT_FALSE(c().nameField1->isFirstResponder());
}

TEST_F(SwapTest, TheSocialButtonOpensTheConfiguredPage)
{
    launch();
    const size_t before = platform::Application::shared().openedURLs().size();
    tap(*c().buttonFacebook);
    const auto& opened = platform::Application::shared().openedURLs();
    ASSERT_EQ(opened.size(), before + 1);
    EXPECT_EQ(opened.back(), TOLVANE_SOCIAL_URL);
}

TEST_F(SwapTest, AnUnloadedViewComesBackWithTheGame)
{
    launch();
    tap(*c().buttonDec0);
    tap(*c().buttonDec0);
    c().nameField1->setText("Ajani");
    c().unloadView();
    EXPECT_FALSE(c().picker);
    EXPECT_FALSE(c().logView);
    EXPECT_FALSE(c().bannerView_);
    // Leaving for the background now must not spoil the saved game.
    c().savePref();
    c().view();
    EXPECT_EQ(c().getHP(0), 18);
    EXPECT_EQ(c().nameField1->text(), "Ajani");
    EXPECT_EQ(c().arHp.size(), 1u);
    EXPECT_TRUE(c().bannerView_);
}
