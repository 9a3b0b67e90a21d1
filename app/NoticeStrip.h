#pragma once
// The red strip that tells the player something could not be saved: white
// text across the top of a screen, with nothing to press or dismiss, so
// every control under it stays usable. It does not place or show itself.

#include "platform/ui/Controls.h"

#include <memory>
#include <string>

namespace tolvane {

inline std::unique_ptr<platform::Label> makeNoticeStrip(const std::string& name, platform::Rect frame, int lines)
{
    auto strip = std::make_unique<platform::Label>(frame);
    strip->setObjectName(name);
    strip->setBackgroundColor(platform::Color { 0.75f, 0.1f, 0.1f, 0.92f });
    strip->setTextColor(platform::Color::white());
    strip->setFont(platform::Font::systemFont(11));
    strip->setTextAlignment(platform::TextAlignment::Center);
    strip->setNumberOfLines(lines);
    strip->setAdjustsFontSizeToFitWidth(true);
    // Clicks go through to whatever lies beneath.
    strip->setUserInteractionEnabled(false);
    return strip;
}

}
