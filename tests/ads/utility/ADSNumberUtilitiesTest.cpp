#include "Utility/ADSNumberUtilities.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

TEST(ADSNumberUtilities, ShortFloatText)
{
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(2.5f), "2.5");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(320.0f), "320");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(100.0f), "100");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(0.0f), "0");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(0.5f), "0.5");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(-3.25f), "-3.25");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(0.1f), "0.1");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(1.2345678f), "1.234568") << "six decimals at most";
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(1e-7f), "0");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(1000000.0f), "1000000") << "zeros before the point stay";
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(FLT_MAX), "340282346638528859811704183484516925440");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(ADSNumberUtilities::stringWithFloat(std::numeric_limits<float>::quiet_NaN()), "nan");
}
