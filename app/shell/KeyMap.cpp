#include "KeyMap.h"

namespace tolvane {

const std::vector<KeyMapEntry>& KeyMap::entries()
{
    static const std::vector<KeyMapEntry> table = {
        { "W or S", "player 1: +1 or -1", "2" },
        { "Shift+W or Shift+S", "player 1: +5 or -5", "2" },
        { "Up or Down", "player 2: +1 or -1", "2" },
        { "Shift+Up or Shift+Down", "player 2: +5 or -5", "2" },
        { "+ or -", "All +1 or All -1", "3+" },
        { "1 or 2 or 3 or 4 or 5 or 6 or 7 or 8 or 9", "pick a player", "3+" },
        { "Up or Down", "the picked player's wheel: +1 or -1", "3+" },
        { "Shift+Up or Shift+Down", "the picked player's wheel: +5 or -5", "3+" },
        { "R", "reset: next round", "" },
        { "Shift+R", "hard reset: new game", "" },
        { "L", "game log", "" },
        { "D", "dice", "" },
        { "X", "swap sides", "2" },
        { "P", "poison counters on or off", "2" },
        { "Ctrl+Left or Ctrl+Right", "rotate", "" },
        { "Ctrl+Z", "undo", "" },
        { "Ctrl+Shift+Z", "redo", "" },
        { "Return", "OK in a question", "" },
        { "Escape", "Cancel in a question; closes this", "" },
        { "Ctrl+,", "settings", "" },
        { "F11", "full screen", "" },
        { "F1 or ?", "this key map", "" },
        { "Ctrl+Q", "quit", "" },
    };
    return table;
}

std::vector<std::string> KeyMap::keysOf(const KeyMapEntry& entry)
{
    std::vector<std::string> keys;
    const std::string text = entry.keys;
    const std::string separator = " or ";
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        keys.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            break;
        start = at + separator.size();
    }
    return keys;
}

std::string KeyMap::overlayText(int numPlayers)
{
    std::string text;
    for (const auto& entry : entries()) {
        const std::string players = entry.players;
        if ((players == "2" && numPlayers > 2) || (players == "3+" && numPlayers <= 2))
            continue;
        std::string keys = entry.keys;
        if (players == "3+" && keys.rfind("1 or", 0) == 0)
            keys = "1 ... 9";
        text += keys + ": " + entry.action + "\n";
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

}
