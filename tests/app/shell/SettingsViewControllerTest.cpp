#include "SettingsViewController.h"

#include "ShellTestSupport.h"

#include "platform/FileFaults.h"

#include <cerrno>
#include <gtest/gtest.h>

using tolvane::SettingsViewController;

namespace {

class SettingsViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = platform::Paths::preferences() + "/settings-window-test.plist";
        platform::FileSystem::removeFile(path);
        store = std::make_unique<platform::UserDefaults>(path);
    }
    void TearDown() override
    {
        controller.reset();
        store.reset();
        platform::FileSystem::removeFile(path);
    }
    SettingsViewController& open()
    {
        controller = std::make_unique<SettingsViewController>(*store);
        controller->view();
        return *controller;
    }
    // What another process would read from the file.
    platform::UserDefaults reread() const { return platform::UserDefaults(path); }

    std::string path;
    std::unique_ptr<platform::UserDefaults> store;
    std::unique_ptr<SettingsViewController> controller;
};

}

TEST_F(SettingsViewControllerTest, AnEmptyStoreShowsTheCountersDefaults)
{
    auto& vc = open();
    ASSERT_EQ(vc.switches.size(), 6u);
    for (const auto& key : tolvane::SettingsKeys::all()) {
        if (key.kind != tolvane::SettingsKeys::Kind::Bool)
            continue;
        auto* s = vc.switchForKey(key.name);
        ASSERT_NE(s, nullptr) << key.name;
        EXPECT_EQ(s->isOn(), key.defaultValue.asBool()) << key.name;
    }
    EXPECT_EQ(vc.picker->textForRow(vc.picker->selectedRowInComponent(0), 0), "2 players");
    EXPECT_EQ(vc.picker->textForRow(vc.picker->selectedRowInComponent(1), 1), "D20");
    // Opening writes nothing.
    EXPECT_FALSE(platform::FileSystem::exists(path));
}

TEST_F(SettingsViewControllerTest, EveryChangeIsWrittenThroughAsTheRightType)
{
    auto& vc = open();
    vc.switchForKey("isAlwaysOn")->simulateUserSet(false);
    vc.switchForKey("isLandscapeAtStart")->simulateUserSet(true);
    vc.picker->simulateUserSelect(2, 0); // 4 players
    vc.picker->simulateUserSelect(7, 1); // D100

    auto file = reread();
    EXPECT_TRUE(file.objectForKey("isAlwaysOn").isBool());
    EXPECT_FALSE(file.boolForKey("isAlwaysOn"));
    EXPECT_TRUE(file.boolForKey("isLandscapeAtStart"));
    EXPECT_TRUE(file.objectForKey("numPlayers").isInteger());
    EXPECT_EQ(file.integerForKey("numPlayers"), 4);
    EXPECT_EQ(file.integerForKey("diceFaceType"), 100);
    // Keys the user did not touch stay absent, so their defaults still apply.
    EXPECT_TRUE(file.objectForKey("is5hp").isNull());
}

TEST_F(SettingsViewControllerTest, AChangeThatCannotBeWrittenIsShownAndWrittenWithTheNext)
{
    auto& vc = open();
    platform::FileSystem::setFaultHook([](platform::FileSystem::FileStep, const std::string&) { return ENOSPC; });
    platform::Switch& ask = *vc.switchForKey("isAskBeforeReset");
    const bool asked = !ask.isOn();
    ask.simulateUserSet(asked);
    platform::FileSystem::setFaultHook(nullptr);
    ASSERT_NE(vc.writeNotice, nullptr);
    EXPECT_FALSE(vc.writeNotice->isHidden());
    EXPECT_NE(vc.writeNotice->text().find(platform::Paths::preferences()), std::string::npos) << vc.writeNotice->text();
    EXPECT_TRUE(reread().objectForKey("isAskBeforeReset").isNull()) << "nothing reached the file";

    vc.picker->simulateUserSelect(1, 0); // 3 players
    EXPECT_TRUE(vc.writeNotice->isHidden());
    auto file = reread();
    EXPECT_EQ(file.boolForKey("isAskBeforeReset"), asked) << "the held change goes out with the next";
    EXPECT_EQ(file.integerForKey("numPlayers"), 3);
}

// A stored value that is not among the choices (the store and the command
// line take more) is shown as it is, as a row of its own in order among them,
// and stays in the store until the user picks another row.
TEST_F(SettingsViewControllerTest, ShowsStoredValuesAndLeavesUnofferedOnesAlone)
{
    store->setBool("is5hp", false);
    store->setInteger("numPlayers", 12);
    store->setInteger("diceFaceType", 7);
    store->synchronize();
    const auto before = platform::FileSystem::readFile(path);
    ASSERT_TRUE(before);
    auto& vc = open();
    EXPECT_FALSE(vc.switchForKey("is5hp")->isOn());
    platform::PickerView& picker = *vc.picker;
    EXPECT_EQ(picker.textForRow(picker.selectedRowInComponent(0), 0), "12 players");
    EXPECT_EQ(picker.textForRow(picker.selectedRowInComponent(1), 1), "D7");
    EXPECT_EQ(picker.numberOfRowsInComponent(0), int(SettingsViewController::playerChoices().size()) + 1);
    EXPECT_EQ(picker.numberOfRowsInComponent(1), int(SettingsViewController::faceChoices().size()) + 1);
    EXPECT_EQ(picker.textForRow(picker.selectedRowInComponent(1) - 1, 1), "D6");
    EXPECT_EQ(picker.textForRow(picker.selectedRowInComponent(1) + 1, 1), "D8");
    EXPECT_EQ(platform::FileSystem::readFile(path).value_or("<none>"), *before) << "opening wrote nothing";

    picker.simulateUserSelect(picker.selectedRowInComponent(1) + 1, 1);
    picker.simulateUserSelect(1, 0);
    auto file = reread();
    EXPECT_EQ(file.integerForKey("diceFaceType"), 8);
    EXPECT_EQ(file.integerForKey("numPlayers"), 3);
    // A value beyond what the game takes is shown as the game uses it.
    store->setInteger("numPlayers", 40);
    vc.refresh();
    EXPECT_EQ(picker.textForRow(picker.selectedRowInComponent(0), 0), "12 players");
}
