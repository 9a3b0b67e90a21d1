#include "Utility/ADSNumberUtilities.h"

#include <cstdio>
#include <vector>

std::string ADSNumberUtilities::stringWithFloat(float value)
{
    // FLT_MAX takes 39 integer digits plus ".000000"; 64 is never short, but
    // the size is asked first rather than trusted.
    char small[64];
    const int n = std::snprintf(small, sizeof small, "%f", double(value));
    std::string text;
    if (n < 0)
        return text;
    if (size_t(n) < sizeof small) {
        text.assign(small, size_t(n));
    } else {
        std::vector<char> big(size_t(n) + 1);
        std::snprintf(big.data(), big.size(), "%f", double(value));
        text.assign(big.data(), size_t(n));
    }
    // "nan" and "inf" have no decimal point, and their letters must stay.
    if (text.find('.') == std::string::npos)
        return text;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}
