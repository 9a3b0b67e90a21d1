#include "WindowCommands.h"

#include "KeyMap.h"
#include "Launcher.h"
#include "ShellTestSupport.h"
#include "TolvaneAppDelegate.h"

#include "platform/FileSystem.h"
#include "platform/RunLoop.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"

#include <gtest/gtest.h>

namespace {

class WindowCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { shelltest::cleanSlate(); }
    void TearDown() override
    {
        commands.reset();
        desktop.reset();
        platform::Application::shared().setDelegate(nullptr);
        delegate.reset();
        auto& app = platform::Application::shared();
        if (app.state() == platform::ApplicationState::Background)
            app.enterForeground();
        platform::RunLoop::main().runPending();
        shelltest::cleanSlate();
    }
    void start(int players = 2)
    {
        auto& store = platform::UserDefaults::standard();
        store.setInteger("numPlayers", players);
        store.synchronize();
        delegate = tolvane::Launcher::launch();
        desktop = std::make_unique<platform::DesktopShell>();
        desktop->onQuit = [] { };
        ASSERT_TRUE(desktop->attach(*delegate->window));
        commands = std::make_unique<tolvane::WindowCommands>(*delegate, *desktop, store);
    }
    void keys(const std::string& sequence)
    {
        ASSERT_TRUE(desktop->sendKeys(sequence)) << sequence;
        platform::RunLoop::main().runPending();
    }
    TolvaneViewController& game() { return *delegate->viewController; }
    std::vector<int> totals()
    {
        std::vector<int> t;
        for (int p = 0; p < game().numPlayers; ++p)
            t.push_back(game().getHP(p));
        return t;
    }

    std::unique_ptr<TolvaneAppDelegate> delegate;
    std::unique_ptr<platform::DesktopShell> desktop;
    std::unique_ptr<tolvane::WindowCommands> commands;
};

}

// The key map the overlay shows and the README lists is the map the window
// really has: every key of every entry is bound.
TEST_F(WindowCommandsTest, EveryKeyOfTheKeyMapIsBoundAndListedInTheReadme)
{
    start();
    auto readme = platform::FileSystem::readFile(std::string(TOLVANE_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme);
    for (const auto& entry : tolvane::KeyMap::entries()) {
        EXPECT_NE(readme->find(std::string("| ") + entry.keys + " | " + entry.action), std::string::npos)
            << "README lacks " << entry.keys;
        for (const auto& key : tolvane::KeyMap::keysOf(entry))
            EXPECT_TRUE(desktop->bindKey(key, [] { })) << key; // a valid single key...
    }
    // ... and, on a fresh window, each one already does something: pressing
    // it is caught before the screen's controls (a binding exists).
    TearDown();
    start();
    for (const auto& entry : tolvane::KeyMap::entries())
        for (const auto& key : tolvane::KeyMap::keysOf(entry))
            EXPECT_TRUE(desktop->triggerShortcut(key) || key == "Ctrl+Q") << key << " is not bound";
}

// Two players: each player's +1/-1 and, with Shift, +5/-5, by real key
// events; a question takes only Return and Escape; keys typed into a name
// stay in the name.
TEST_F(WindowCommandsTest, TwoPlayersPlayByKeys)
{
    start();
    keys("W, W, Shift+W, S");
    keys("Up, Shift+Down, Shift+Down");
    EXPECT_EQ(totals(), (std::vector<int> { 26, 11 }));
    keys("R");
    ASSERT_NE(game().currentAlert(), nullptr);
    keys("W, Ctrl+Z"); // modal: nothing
    EXPECT_EQ(totals(), (std::vector<int> { 26, 11 }));
    keys("F1"); // the key map would go over the question, which Return still answers
    EXPECT_FALSE(commands->isKeyMapShown());
    keys("Escape");
    EXPECT_EQ(game().currentAlert(), nullptr);
    EXPECT_EQ(totals(), (std::vector<int> { 26, 11 }));
    keys("R, Return");
    EXPECT_EQ(totals(), (std::vector<int> { 20, 20 }));
    EXPECT_EQ(game().gameRound, 2);
    keys("Shift+R");
    ASSERT_NE(game().currentAlert(), nullptr);
    EXPECT_EQ(game().currentAlert()->title(), "Hard Reset");
    keys("Return");
    keys("P");
    EXPECT_TRUE(game().isPoison);
    keys("P, L");
    EXPECT_FALSE(game().frontViewVisible);

    game().nameField0->becomeFirstResponder();
    keys("W, S, W");
    keys("Up, Shift+Down"); // keys the field ignores and passes on stay with it too
    EXPECT_EQ(totals(), (std::vector<int> { 20, 20 }));
    EXPECT_TRUE(game().nameField0->isFirstResponder());
    game().nameField0->resignFirstResponder();

    // Full-screen content over the game covers its controls and their keys,
    // the menu's too.
    keys("L");
    ASSERT_TRUE(game().frontViewVisible);
    keys("W");
    platform::ViewController cover;
    game().presentModalViewController(cover, false);
    keys("W, Up, R");
    keys("Ctrl+Z");
    EXPECT_EQ(totals(), (std::vector<int> { 21, 20 }));
    keys("Ctrl+Shift+Z");
    keys("Ctrl+,");
    keys("F1");
    EXPECT_EQ(totals(), (std::vector<int> { 21, 20 }));
    EXPECT_EQ(game().currentAlert(), nullptr);
    EXPECT_EQ(commands->settingsWindow(), nullptr);
    EXPECT_FALSE(commands->isKeyMapShown());
    game().dismissModalViewControllerAnimated(false);
    keys("W");
    EXPECT_EQ(totals(), (std::vector<int> { 22, 20 }));
}

// Three or more players: "All +1" and "All -1", and a digit picks the player
// whose wheel the arrows turn, as a player turning it would (logged, grown).
TEST_F(WindowCommandsTest, ManyPlayersPickAPlayerAndTurnItsWheel)
{
    start(4);
    keys("+, +, -");
    EXPECT_EQ(totals(), (std::vector<int> { 21, 21, 21, 21 }));
    keys("3, Up, Up, Shift+Up");
    EXPECT_EQ(commands->pickedPlayer(), 2);
    EXPECT_EQ(totals(), (std::vector<int> { 21, 21, 28, 21 }));
    keys("9"); // no ninth player: the pick stays
    keys("Down");
    EXPECT_EQ(totals(), (std::vector<int> { 21, 21, 27, 21 }));
    keys("Ctrl+Z");
    EXPECT_EQ(totals(), (std::vector<int> { 21, 21, 28, 21 }));
    keys("Ctrl+Shift+Z");
    EXPECT_EQ(totals(), (std::vector<int> { 21, 21, 27, 21 }));
}

// F1 or "?" shows the key map inside the game window, for the number of
// players on screen; Escape, F1 again or a click closes it.
TEST_F(WindowCommandsTest, TheKeyMapOverlayOpensAndCloses)
{
    start();
    keys("F1");
    ASSERT_TRUE(commands->isKeyMapShown());
    auto* overlay = delegate->window->findByName("keyMapText");
    ASSERT_NE(overlay, nullptr);
    const std::string text = static_cast<platform::Label*>(overlay)->text();
    EXPECT_NE(text.find("W or S: player 1: +1 or -1"), std::string::npos) << text;
    EXPECT_EQ(text.find("All +1"), std::string::npos) << "three-player keys shown for two players";
    keys("Escape");
    EXPECT_FALSE(commands->isKeyMapShown());
    keys("?");
    EXPECT_TRUE(commands->isKeyMapShown());
    static_cast<platform::Button*>(delegate->window->findByName("keyMap"))->simulateTap();
    platform::RunLoop::main().runPending();
    EXPECT_FALSE(commands->isKeyMapShown());
}

// "Settings..." opens the settings window over the game, which goes to the
// background (saved) and comes back when the window closes: the setting that
// applies on return applies, the others wait, and the window says so.
TEST_F(WindowCommandsTest, SettingsOverTheGameAreABackgroundAndAReturn)
{
    start();
    auto& app = platform::Application::shared();
    EXPECT_NE(std::find(desktop->menuEntries().begin(), desktop->menuEntries().end(), "Settings\u2026"),
        desktop->menuEntries().end());
    keys("W");
    keys("Ctrl+,");
    auto* settings = commands->settingsWindow();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(app.state(), platform::ApplicationState::Background);
    EXPECT_TRUE(platform::FileSystem::exists(shelltest::savedGamePath()));
    auto* note = settings->window().findByName("nextStartNote");
    ASSERT_NE(note, nullptr);
    EXPECT_NE(static_cast<platform::Label*>(note)->text().find("next start"), std::string::npos);

    settings->controller().switchForKey("isLandscapeAtStart")->simulateUserSet(true);
    settings->controller().switchForKey("is5hp")->simulateUserSet(false);
    static_cast<platform::Button*>(settings->window().findByName("settingsDone"))->simulateTap();
    platform::RunLoop::main().runPending();
    EXPECT_EQ(commands->settingsWindow(), nullptr);
    EXPECT_EQ(app.state(), platform::ApplicationState::Active);
    EXPECT_EQ(app.keyWindow(), delegate->window.get());
    EXPECT_TRUE(game().isLandscapeAtStart); // re-read on return
    EXPECT_TRUE(game().isShown5hp);         // at the next start
    EXPECT_EQ(game().getHP(0), 21);
}
