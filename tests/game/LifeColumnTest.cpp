#include "LifeColumn.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {
constexpr int kIntMax = std::numeric_limits<int32_t>::max();
constexpr int kIntMin = std::numeric_limits<int32_t>::min();
}

TEST(LifeColumn, RowsShowConsecutiveValuesFromTheTop)
{
    LifeColumn column(30, -5);
    EXPECT_EQ(column.size(), 36);
    EXPECT_EQ(column.max(), 30);
    EXPECT_EQ(column.min(), -5);
    EXPECT_EQ(column[0], "30");
    EXPECT_EQ(column[10], "20");
    EXPECT_EQ(column[35], "-5");
    EXPECT_EQ(column[36], "");
    EXPECT_EQ(column[-1], "");
    EXPECT_EQ(column.rowOf(20), 10);
    EXPECT_EQ(column.valueAt(35), -5);
}

TEST(LifeColumn, GrowsAtEitherEndAndKeepsRowsOfValuesConsistent)
{
    LifeColumn column(30, -5);
    ASSERT_TRUE(column.growTop(30));
    ASSERT_TRUE(column.growBottom(20));
    EXPECT_EQ(column.max(), 60);
    EXPECT_EQ(column.min(), -25);
    EXPECT_EQ(column.size(), 86);
    // 60 down to -25 still names row max - v for value v.
    EXPECT_EQ(column.rowOf(20), 40);
    EXPECT_EQ(column[40], "20");
    EXPECT_EQ(column.back(), "-25");
}

TEST(LifeColumn, GrowthThatWouldLeaveThe32BitRangeIsRefusedWhole)
{
    LifeColumn high(kIntMax - 5, kIntMax - 40);
    EXPECT_FALSE(high.growTop(10));
    EXPECT_EQ(high.max(), kIntMax - 5);
    EXPECT_TRUE(high.growTop(5));
    EXPECT_EQ(high[0], std::to_string(kIntMax));

    LifeColumn low(kIntMin + 40, kIntMin + 3);
    EXPECT_FALSE(low.growBottom(4));
    EXPECT_EQ(low.min(), kIntMin + 3);
    EXPECT_TRUE(low.growBottom(3));
    EXPECT_EQ(low.back(), std::to_string(kIntMin));

    // The row count is a 32-bit number too.
    LifeColumn wide(kIntMax - 10, -5);
    EXPECT_FALSE(wide.canGrowBottom(int64_t(kIntMax)));
    EXPECT_FALSE(wide.growTop(-1));
}
