#include "platform/ui/AlertView.h"
#include "platform/ui/Image.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

TEST(AlertView, ButtonPressTellsTheDelegateThenDismisses)
{
    AlertView alert("Reset", "Reset the game?", "Cancel", { "OK" });
    EXPECT_EQ(alert.buttonTitles(), (std::vector<std::string> { "Cancel", "OK" }));
    EXPECT_EQ(alert.cancelButtonIndex(), 0);
    EXPECT_EQ(AlertView::current(), nullptr);

    std::vector<int> pressed;
    bool visibleDuringCallback = false;
    alert.onClickedButton = [&](AlertView& a, int index) {
        pressed.push_back(index);
        visibleDuringCallback = a.isVisible() && AlertView::current() == &a;
    };
    alert.simulateButtonPress(1); // not shown yet: nothing to press
    EXPECT_TRUE(pressed.empty());

    alert.show();
    EXPECT_TRUE(alert.isVisible());
    EXPECT_EQ(AlertView::current(), &alert);
    alert.simulateButtonPress(2); // out of range
    alert.simulateButtonPress(-1);
    EXPECT_TRUE(pressed.empty());
    EXPECT_TRUE(alert.isVisible());

    alert.simulateButtonPress(1);
    EXPECT_EQ(pressed, std::vector<int> { 1 });
    EXPECT_TRUE(visibleDuringCallback);
    EXPECT_FALSE(alert.isVisible());
    EXPECT_EQ(AlertView::current(), nullptr);
}

TEST(AlertView, CurrentIsTheNewestShownAndDismissDoesNotCallTheDelegate)
{
    AlertView first("One", "", "Cancel", {});
    AlertView second("Two", "", "Cancel", { "OK" });
    int calls = 0;
    first.onClickedButton = second.onClickedButton = [&](AlertView&, int) { ++calls; };
    first.show();
    second.show();
    EXPECT_EQ(AlertView::current(), &second);
    second.dismiss();
    EXPECT_EQ(AlertView::current(), &first);
    {
        AlertView third("Three", "", "Cancel", {});
        third.show();
        EXPECT_EQ(AlertView::current(), &third);
    } // destroyed while shown
    EXPECT_EQ(AlertView::current(), &first);
    first.dismiss();
    EXPECT_EQ(AlertView::current(), nullptr);
    EXPECT_EQ(calls, 0);
}

TEST(AlertView, DelegateMayDestroyTheAlert)
{
    auto alert = std::make_unique<AlertView>("Hard Reset", "Reset all?", "Cancel", std::vector<std::string> { "OK" });
    int index = -1;
    alert->onClickedButton = [&](AlertView&, int i) {
        index = i;
        alert.reset();
    };
    alert->show();
    alert->simulateButtonPress(0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(alert, nullptr);
    EXPECT_EQ(AlertView::current(), nullptr);
}

// A view added to the window while a question is up (a notice, an overlay)
// stays under its dimmed layer: a hidden question would still answer Return.
TEST(AlertView, ViewsAddedWhileItIsUpStayUnderIt)
{
    Window window({ 0, 0, 320, 480 });
    window.makeKeyAndVisible();
    AlertView alert("Reset", "Reset the game?", "Cancel", { "OK" });
    alert.show();
    View late({ 0, 0, 320, 480 });
    late.setBackgroundColor(Color::red_());
    window.addSubview(late);
    const std::string path = ::testing::TempDir() + "alert-over-late-view.png";
    ASSERT_TRUE(window.renderToPng(path));
    auto picture = Image::fromFile(path);
    ASSERT_TRUE(picture);
    const Color corner = picture->pixelColor(5, picture->pixelHeight() - 5);
    EXPECT_GT(corner.red, 0.1f) << "the red view is there";
    EXPECT_LT(corner.red, 0.9f) << "and dimmed by the question's layer";
}
