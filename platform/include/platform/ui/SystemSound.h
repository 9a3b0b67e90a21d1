#pragma once
// The platform's short system sounds by number. The desktop has one sound, its
// bell, which stands in for every number, the vibration included. Sounds
// played are counted for the tests and the automation mode.

#include <vector>

namespace platform::SystemSound {

// The handheld's vibration, played as a sound.
inline constexpr unsigned kVibrate = 4095;

void play(unsigned soundID);
// The latest sounds played (at most 64), oldest first.
const std::vector<unsigned>& history();
void clearHistory();

}
