#pragma once
// JSON text of a value for handing to page scripts. It reports no errors:
// a value the writer refuses becomes the empty string.

#include "platform/Value.h"

#include <optional>
#include <string>

class ADSMacros {
public:
    // None for no value; "" when the value is not a dictionary or an array,
    // or holds something JSON cannot spell.
    static std::optional<std::string> jsonify(const platform::Value* object);
    static std::string jsonify(const platform::Value& object);
};
