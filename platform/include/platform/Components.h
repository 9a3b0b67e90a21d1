#pragma once
// Cutting a text into the pieces between one separator, the way the bridge's
// lists and a mail URL's recipients are written. Empty pieces are kept, so a
// text of n separators always gives n + 1 pieces.

#include <string>
#include <vector>

namespace platform {

inline std::vector<std::string> componentsSeparatedBy(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t stop = text.find(separator, start);
        pieces.push_back(text.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
        if (stop == std::string::npos)
            return pieces;
        start = stop + 1;
    }
}

}
