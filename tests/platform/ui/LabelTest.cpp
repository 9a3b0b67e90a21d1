#include "UiTestSupport.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Image.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>

using namespace platform;

// A one-line caption wider than its frame shrinks to fit rather than losing
// its ends; a label asked for several lines wraps instead.
TEST(Label, OneLineTextShrinksToItsFrame)
{
    Window window;
    View paper({ 0, 0, 320, 480 });
    paper.setBackgroundColor(Color::white());
    window.addSubview(paper);
    Label caption({ 180, 100, 42, 21 });
    caption.setText("Poison");
    caption.setFont(Font::systemFont(16));
    caption.setTextAlignment(TextAlignment::Center);
    window.addSubview(caption);
    Label wrapped({ 20, 200, 60, 60 });
    wrapped.setText("two words");
    wrapped.setFont(Font::systemFont(16));
    wrapped.setNumberOfLines(0);
    window.addSubview(wrapped);
    std::string path = ::testing::TempDir() + "label-fit.png";
    ASSERT_TRUE(window.renderToPng(path));
    auto shot = Image::fromFile(path);
    ASSERT_TRUE(shot);
    auto ink = uitest::inkBox(*shot, 180, 100, 222, 121);
    ASSERT_FALSE(ink.empty());
    EXPECT_GT(ink.left, 180);
    EXPECT_LT(ink.right, 221);
    auto lines = uitest::inkBox(*shot, 20, 200, 80, 260);
    ASSERT_FALSE(lines.empty());
    EXPECT_GT(lines.height(), 24) << "the text asked for several lines took one";
}
