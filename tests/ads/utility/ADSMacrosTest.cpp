#include "Utility/ADSMacros.h"

#include <gtest/gtest.h>

#include <limits>

using platform::Array;
using platform::Dictionary;
using platform::Value;

TEST(ADSMacros, JsonifyForPages)
{
    EXPECT_FALSE(ADSMacros::jsonify(nullptr));
    const Value message(Dictionary { { "name", Value("open") }, { "args", Value(Array { Value(1), Value("x\"y") }) } });
    EXPECT_EQ(ADSMacros::jsonify(&message), std::optional<std::string>(R"({"name":"open","args":[1,"x\"y"]})"));
    // What the writer refuses comes out as the empty string.
    EXPECT_EQ(ADSMacros::jsonify(Value("scalar")), "");
    EXPECT_EQ(ADSMacros::jsonify(Value(Array { Value(std::numeric_limits<double>::quiet_NaN()) })), "");
    const Value empty(Array {});
    EXPECT_EQ(ADSMacros::jsonify(&empty), std::optional<std::string>("[]"));
}
