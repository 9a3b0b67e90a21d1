#include "platform/ui/Controls.h"
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

TEST(TextField, EverySetMakesANewNameValue)
{
    TextField f({ 0, 0, 84, 40 });
    EXPECT_EQ(f.text(), "");
    f.setText("Alice");
    auto first = f.textValue();
    f.setText("Alice");
    auto second = f.textValue();
    EXPECT_EQ(*first, *second);
    EXPECT_NE(first.get(), second.get());
    // A value handed out stays as it was after later sets.
    f.setText("Bob");
    EXPECT_EQ(*first, "Alice");
    EXPECT_EQ(f.text(), "Bob");
}

TEST(TextField, UserEditMakesANewValueAndReturnEndsEditing)
{
    TextField f({ 0, 0, 84, 40 });
    f.setText("Alice");
    auto before = f.textValue();
    int ended = 0;
    std::shared_ptr<const std::string> seenAtEnd;
    f.onDidEndOnExit = [&](TextField& sender) {
        ++ended;
        seenAtEnd = sender.textValue();
        sender.resignFirstResponder();
    };
    f.simulateUserEdit("Alice");
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(f.text(), "Alice");
    EXPECT_NE(f.textValue().get(), before.get());
    EXPECT_EQ(seenAtEnd.get(), f.textValue().get());
    EXPECT_FALSE(f.isFirstResponder());

    f.simulateUserEdit("Carol");
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(f.text(), "Carol");

    // Typed text of any script arrives whole; clearing the field is an edit too.
    f.simulateUserEdit("Zoë 🂡");
    EXPECT_EQ(f.text(), "Zoë 🂡");
    auto beforeClear = f.textValue();
    f.simulateUserEdit("");
    EXPECT_EQ(f.text(), "");
    EXPECT_NE(f.textValue().get(), beforeClear.get());
}

TEST(TextField, FirstResponderAndDisabledFields)
{
    TextField f({ 0, 0, 84, 40 });
    EXPECT_TRUE(f.becomeFirstResponder());
    EXPECT_TRUE(f.isFirstResponder());
    f.setText("set while editing");
    EXPECT_EQ(f.text(), "set while editing");
    EXPECT_TRUE(f.resignFirstResponder());
    EXPECT_FALSE(f.isFirstResponder());

    int ended = 0;
    f.onDidEndOnExit = [&](TextField&) { ++ended; };
    f.setEnabled(false);
    EXPECT_FALSE(f.becomeFirstResponder());
    f.simulateUserEdit("ignored");
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(f.text(), "set while editing");
}

TEST(TextField, ShrinkToFitOnlyWhenAskedAndNotBelowTheMinimum)
{
    TextField f({ 0, 0, 84, 40 });
    f.setFont(Font::systemFont(20));
    f.setText("A rather long player name");
    EXPECT_EQ(f.displayedFontSize(), 20);
    f.setAdjustsFontSizeToFitWidth(true);
    float shrunk = f.displayedFontSize();
    EXPECT_LT(shrunk, 20);
    EXPECT_GE(shrunk, 6);
    f.setMinimumFontSize(14);
    EXPECT_EQ(f.displayedFontSize(), 14);
    f.setText("Al");
    EXPECT_EQ(f.displayedFontSize(), 20); // short text keeps the full size
}

TEST(TextField, ReturnActionMayDestroyTheField)
{
    auto f = std::make_unique<TextField>(Rect { 0, 0, 84, 40 });
    f->onDidEndOnExit = [&](TextField&) { f.reset(); };
    f->simulateUserEdit("gone");
    EXPECT_EQ(f, nullptr);
}

TEST(TextField, CopiedPropertiesRoundTrip)
{
    // The extra players' fields copy these from the first one.
    TextField f;
    f.setBorderStyle(TextField::BorderStyle::RoundedRect);
    f.setClearButtonMode(TextField::ClearButtonMode::WhileEditing);
    f.setKeyboardAppearance(1);
    f.setReturnKeyType(9);
    f.setContentHorizontalAlignment(TextAlignment::Left);
    TextField g;
    g.setBorderStyle(f.borderStyle());
    g.setClearButtonMode(f.clearButtonMode());
    g.setKeyboardAppearance(f.keyboardAppearance());
    g.setReturnKeyType(f.returnKeyType());
    EXPECT_EQ(g.borderStyle(), TextField::BorderStyle::RoundedRect);
    EXPECT_EQ(g.clearButtonMode(), TextField::ClearButtonMode::WhileEditing);
    EXPECT_EQ(g.keyboardAppearance(), 1);
    EXPECT_EQ(g.returnKeyType(), 9);
}
