#pragma once
// The keys of the game window: one table of what each key does, which the
// window binds, the key-map overlay shows and the README lists. It holds
// text only; WindowCommands gives the keys their actions.

#include <string>
#include <vector>

namespace tolvane {

struct KeyMapEntry {
    const char* keys;    // Qt's key-sequence text, "or" between alternatives ("F1 or ?")
    const char* action;  // what the key does, as the overlay and the README say it
    const char* players; // "" for every game, "2" for two players, "3+" for three or more
};

class KeyMap {
public:
    static const std::vector<KeyMapEntry>& entries();
    // Each single key of an entry ("F1 or ?" gives "F1" and "?").
    static std::vector<std::string> keysOf(const KeyMapEntry& entry);
    // The overlay's text: one line per entry, "keys: action".
    static std::string overlayText(int numPlayers);
};

}
