#include "platform/ui/Controls.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(TextView, KeepsMultiLineTextExactlyAndStartsReadOnly)
{
    TextView v({ 0, 0, 320, 211 });
    EXPECT_FALSE(v.isEditable());
    std::string log = "2:05:09\tPlayer 1\t19\n2:05:01\tPlayer 2\t-3\n";
    v.setText(log);
    EXPECT_EQ(v.text(), log);
    v.setText("");
    EXPECT_EQ(v.text(), "");
    v.setText("Zoë\tñ\n");
    EXPECT_EQ(v.text(), "Zoë\tñ\n");
}
