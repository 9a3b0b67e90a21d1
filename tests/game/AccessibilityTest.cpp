#include "ControllerFixture.h"

#include "platform/ui/Accessibility.h"

using platform::Accessibility;

class AccessibilityTest : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        Accessibility::setRecording(true);
    }
    void TearDown() override
    {
        Accessibility::setRecording(false);
        ControllerTest::TearDown();
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

// Read back through the platform's accessibility tree: every control has a
// name and a role, and each wheel names its player and total.
TEST_F(AccessibilityTest, ControlsHaveNamesAndRolesAndWheelsSayTheirTotals)
{
    launchWithoutAsking();
    c().nameField0->setText("Kim");
    auto inc = Accessibility::describe(*c().buttonInc0);
    EXPECT_EQ(inc.name, "Player 1 plus one");
    EXPECT_EQ(inc.role, "button");
    EXPECT_EQ(Accessibility::describe(*c().buttonDec5Hp1).name, "Player 2 minus five");
    auto field = Accessibility::describe(*c().nameField0);
    EXPECT_EQ(field.name, "Player 1 name");
    EXPECT_EQ(field.role, "text");
    EXPECT_EQ(field.value, "Kim");
    auto poison = Accessibility::describe(*c().switchPoison);
    EXPECT_EQ(poison.role, "switch");
    EXPECT_EQ(poison.value, "off");
    EXPECT_EQ(Accessibility::describe(*c().labelPoisonSwitch).role, "label");
    // Every button on screen has a name of its own.
    for (platform::View* v : c().view().subviews()) {
        if (dynamic_cast<platform::Button*>(v)) {
            EXPECT_FALSE(Accessibility::describe(*v).name.empty()) << v->objectName();
        }
    }

    auto wheels = Accessibility::describe(*c().picker);
    EXPECT_EQ(wheels.role, "picker");
    ASSERT_EQ(wheels.children.size(), 2u);
    EXPECT_EQ(wheels.children[0].name, "Player 1 life, 20");
    EXPECT_EQ(wheels.children[0].role, "wheel");
    EXPECT_EQ(wheels.children[1].value, "20");

    c().switchPoison->simulateUserSet(true);
    wheels = Accessibility::describe(*c().picker);
    ASSERT_EQ(wheels.children.size(), 4u);
    EXPECT_EQ(wheels.children[1].name, "Player 1 poison, 0");
    EXPECT_EQ(wheels.children[3].name, "Player 2 life, 20");

    quit();
    setting("numPlayers", 4);
    launchWithoutAsking();
    EXPECT_EQ(Accessibility::describe(*c().buttonInc0).name, "All players plus one");
    EXPECT_EQ(Accessibility::describe(*c().ar_nameField[3]).name, "Player 4 name");
    EXPECT_EQ(Accessibility::describe(*c().picker).children.size(), 4u);
}

// A change of a total, by a button, a wheel or undo, is announced with the
// player's name once per change and player; a new name is announced too.
TEST_F(AccessibilityTest, TotalsAndNamesAreAnnounced)
{
    launchWithoutAsking();
    c().nameField0->setText("Kim");
    c().nameField1->setText("Lee");
    Accessibility::takeRecorded();
    tap(*c().buttonInc0);
    auto said = Accessibility::takeRecorded();
    EXPECT_TRUE(has(said, "announce: Kim, 21"));
    EXPECT_TRUE(has(said, "name: Player 1 life, 21"));
    EXPECT_EQ(std::count_if(said.begin(), said.end(), [](const std::string& s) { return s.rfind("announce:", 0) == 0; }), 1);

    turnWheel(15, 1); // Lee to 15
    EXPECT_TRUE(has(Accessibility::takeRecorded(), "announce: Lee, 15"));
    c().undo();
    EXPECT_TRUE(has(Accessibility::takeRecorded(), "announce: Lee, 20"));

    c().nameField1->simulateUserEdit("Ajani");
    EXPECT_TRUE(has(Accessibility::takeRecorded(), "announce: Player 2 is now Ajani"));
    c().switchPoison->simulateUserSet(true);
    Accessibility::takeRecorded();
    turnWheel(8, 1);
    EXPECT_TRUE(has(Accessibility::takeRecorded(), "announce: Kim, poison 2"));
}
