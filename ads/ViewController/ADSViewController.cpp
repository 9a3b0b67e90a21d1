#include "ViewController/ADSViewController.h"

int ADSViewController::orientationFromString(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    if (*text == "any")
        return 1;
    if (*text == "portrait")
        return 2;
    if (*text == "landscape")
        return 3;
    return 0;
}
