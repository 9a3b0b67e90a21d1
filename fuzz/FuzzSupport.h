#pragma once
// What the fuzz targets share: a broken invariant stops the run with a
// message, so that libFuzzer keeps the input like any other crash; and value
// equality in which a NaN read back equals the NaN written.

#include "platform/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

inline void fuzzCheck(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline bool sameValue(const platform::Value& a, const platform::Value& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case platform::Value::Type::Real:
        return (std::isnan(a.asDouble()) && std::isnan(b.asDouble())) || a == b;
    case platform::Value::Type::Array: {
        const platform::Array& x = a.asArray();
        const platform::Array& y = b.asArray();
        if (x.size() != y.size())
            return false;
        for (size_t i = 0; i < x.size(); ++i)
            if (!sameValue(x[i], y[i]))
                return false;
        return true;
    }
    case platform::Value::Type::Dictionary: {
        const platform::Dictionary& x = a.asDictionary();
        const platform::Dictionary& y = b.asDictionary();
        if (x.size() != y.size())
            return false;
        for (const auto& [key, value] : x) {
            const platform::Value* other = y.find(key);
            if (!other || !sameValue(value, *other))
                return false;
        }
        return true;
    }
    default:
        return a == b;
    }
}
