#include "Automation.h"

#include "ShellTestSupport.h"
#include "TolvaneAppDelegate.h"

#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/ui/Application.h"

#include "platform/FileSystem.h"
#include "platform/FileFaults.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sstream>

using tolvane::Automation;

namespace {

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::cleanSlate();
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
    }
    void TearDown() override
    {
        finish();
        shelltest::cleanSlate();
    }
    // Ends the previous run and leaves the application as a new process has it.
    void finish()
    {
        auto& app = platform::Application::shared();
        // Turned back while the screen still exists, so that the next launch
        // in this process starts upright.
        if (app.deviceOrientation() != 1)
            app.setDeviceOrientation(1);
        automation.reset();
        app.setDelegate(nullptr);
        app.setStatusBarOrientation(1);
        if (app.state() == platform::ApplicationState::Background)
            app.enterForeground();
    }
    int run(const std::string& script)
    {
        finish();
        out.str("");
        err.str("");
        automation = std::make_unique<Automation>(out, err);
        return automation->runScript(script);
    }

    std::ostringstream out, err;
    std::unique_ptr<Automation> automation;
};

}

TEST_F(AutomationTest, AFaultyLineStopsTheRunBeforeAnythingHappens)
{
    EXPECT_EQ(run("launch\ndump\nwobble\n"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 3: unknown command \"wobble\"\n");
    EXPECT_EQ(out.str(), ""); // the dump on line 2 never ran
    EXPECT_FALSE(automation->isLaunched());
}

TEST_F(AutomationTest, CommandsOutOfPlaceAreScriptErrors)
{
    EXPECT_EQ(run("tap buttonInc0"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 1: the application is not launched yet (launch first)\n");
    EXPECT_EQ(run("launch\nlaunch"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 2: the application is already launched\n");
}

TEST_F(AutomationTest, ClockMustComeBeforeLaunch)
{
    EXPECT_EQ(run("launch\nclock 2026-01-01T10:00:00"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 2: clock must come before launch\n");
}

TEST_F(AutomationTest, ControlsAlertsWheelsAndPlayersMustExist)
{
    EXPECT_EQ(run("launch\ntap buttonNowhere"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 2: no button named \"buttonNowhere\"\n");
    // A named control that is no button cannot be tapped.
    EXPECT_EQ(run("launch\ntap picker"), Automation::kBadScript);
    // The "Dice" button exists only with three or more players.
    EXPECT_EQ(run("launch\ntap dice"), Automation::kBadScript);
    EXPECT_EQ(run("launch\nalert 0"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 2: no alert is on screen\n");
    EXPECT_EQ(run("launch\nreset\nalert 2"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 3: the alert has no button 2\n");
    EXPECT_EQ(run("launch\nwheel 2 0"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 2: the picker has no component 2\n");
    EXPECT_EQ(run("launch\nwheel 0 36"), Automation::kBadScript);
    EXPECT_EQ(run("launch\nname 2 Zed"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 2: there is no player 2\n");
}

TEST_F(AutomationTest, WhileAnAlertIsUpOnlyItCanBeAnswered)
{
    EXPECT_EQ(run("launch\nreset\ntap buttonInc0"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 3: an alert is on screen (answer it with alert INDEX first)\n");
    EXPECT_EQ(run("launch\nhardreset\nwheel 0 3"), Automation::kBadScript);
    EXPECT_EQ(run("launch\nreset\nreset"), Automation::kBadScript);
    // Turning the device and dumping are still possible; answering frees the screen.
    EXPECT_EQ(run("launch\nreset\nrotate 4\ndump\nalert 0\ntap buttonInc0\ndump"), Automation::kSuccess) << err.str();
    EXPECT_EQ(automation->dumpValue().asDictionary().get("players").asArray()[0].asDictionary().get("life").asInt64(), 21);
}

TEST_F(AutomationTest, AfterTerminationOnlyInspectionIsLeft)
{
    EXPECT_EQ(run("launch\nterminate\ndump\ntap buttonInc0"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 4: the application has terminated\n");
    EXPECT_NE(out.str().find("\"launched\":true"), std::string::npos);
}

TEST_F(AutomationTest, TheDumpHoldsEveryKeyOfTheState)
{
    ASSERT_EQ(run("launch\ntap buttonInc0\nadvance 2\ndump"), Automation::kSuccess) << err.str();
    platform::Value state = automation->dumpValue();
    const auto& d = state.asDictionary();
    for (const char* key : { "numPlayers", "isPoison", "gameRound", "secordOfTimer", "frontViewVisible", "components",
             "players", "columns", "log", "logText", "titles", "titleColors", "fontSizes", "diceLabels", "frames",
             "alert", "console", "idleTimerDisabled", "statusBarOrientation", "interfaceOrientation", "openedURLs" })
        EXPECT_TRUE(d.contains(key)) << key;
    EXPECT_EQ(d.get("players").asArray()[0].asDictionary().get("life").asInt64(), 21);
    EXPECT_EQ(d.get("secordOfTimer").asInt64(), 2);
    const auto& log = d.get("log").asArray();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].asDictionary().get("value").asInt64(), 21);
    const auto& frames = d.get("frames").asDictionary();
    for (const char* key : { "buttonInc0", "buttonReset", "bannerView_", "containerView", "picker", "logView",
             "nameField0", "nameField1", "pelkLogo", "switchPoison" })
        EXPECT_TRUE(frames.contains(key)) << key;
    EXPECT_EQ(frames.get("containerView"), platform::Value(platform::Array { 0.0, 80.0, 320.0, 216.0 }));
    EXPECT_TRUE(d.get("alert").isNull());

    // The dump line on standard output is the same state as one JSON line.
    std::string line = out.str();
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_NE(line.find("\"console\":[\"viewDidLoad start!\"]"), std::string::npos);
    // Console lines are reported once.
    EXPECT_TRUE(d.get("console").asArray().empty());
}

TEST_F(AutomationTest, WritesThatFailAreFailuresNotScriptErrors)
{
    EXPECT_EQ(run("launch\nscreenshot /nonexistent-folder/x.png"), Automation::kFailure);
    EXPECT_EQ(err.str(), "line 2: cannot write the screenshot to /nonexistent-folder/x.png\n");

    platform::FileSystem::setFaultHook([](platform::FileSystem::FileStep, const std::string&) { return ENOSPC; });
    const int settings = run("settings isAskBeforeReset=YES");
    const std::string said = err.str();
    const int unset = run("unset isAskBeforeReset");
    platform::FileSystem::setFaultHook(nullptr);
    EXPECT_EQ(settings, Automation::kFailure);
    EXPECT_EQ(said.rfind("line 1: cannot write the settings to ", 0), 0u) << said;
    EXPECT_EQ(unset, Automation::kFailure);
}

// No ad server listens here: the banner fails its core script and rests in
// state 2. Waits run in real time and leave the virtual clock alone.
TEST_F(AutomationTest, BannerWaitsRunInRealTimeAndReportWhereTheBannerIs)
{
    ASSERT_EQ(run("launch"), Automation::kSuccess);
    // The ad library takes the first launch of a process for the start of the
    // application; a later one in the same process (a whole-binary run) asks
    // for no ad. CTest runs each test in a process of its own.
    if (automation->dumpValue().asDictionary().get("banner").asDictionary().get("state").asInt64() == 0)
        GTEST_SKIP() << "an earlier launch in this process keeps the banner idle";

    const double before = platform::Clock::shared().now();
    EXPECT_EQ(automation->runScript("waitfor banner 2 20\nwait 0.2\ndump\nwaitfor banner 6 0.3"), Automation::kTimedOut);
    EXPECT_EQ(err.str(), "line 4: timed out waiting for banner state 6 (now 2)\n");
    EXPECT_EQ(platform::Clock::shared().now(), before) << "only advance moves the virtual clock";

    const std::string line = out.str().substr(0, out.str().find('\n'));
    EXPECT_NE(line.find("\"banner\":{\"state\":2,\"frame\":[0,0,320,50],\"hidden\":true,\"preqs\":1,"
                        "\"refreshSeconds\":0,\"adURL\":null,\"refreshScheduled\":false}"),
        std::string::npos)
        << line;
    EXPECT_NE(line.find("\"fullScreen\":[]"), std::string::npos) << line;

    // Without an ad there is nothing to click.
    err.str("");
    EXPECT_EQ(automation->runScript("clickad"), Automation::kBadScript);
    EXPECT_EQ(err.str(), "line 1: no ad is shown in the banner (state 2)\n");
}
