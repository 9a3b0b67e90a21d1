#pragma once
// Short text of a float for request parameters: six decimals at most, no
// trailing zeros. It does not round to fewer digits than "%f" keeps.

#include <string>

class ADSNumberUtilities {
public:
    static std::string stringWithFloat(float value);
};
