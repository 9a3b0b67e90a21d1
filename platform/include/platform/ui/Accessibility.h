#pragma once
// What screen readers are told: each view's accessible name and role as the
// platform's accessibility tree shows them, and announcements of changes
// (a total, a name). The views carry their names; this reads the tree back
// and speaks. It keeps no state of its own beyond a test's recording.

#include <string>
#include <vector>

namespace platform {

class View;

class Accessibility {
public:
    // One node of the platform's accessibility tree.
    struct Node {
        std::string name;
        std::string role; // "button", "label", "text", "switch", "wheel", "group", ...
        std::string value;
        std::vector<Node> children; // only for views whose parts are not views (a picker's wheels)
    };
    // The node the platform shows for the view, read through its own interfaces.
    static Node describe(const View& view);

    // Says `text` to screen readers, coming from `source` (a total after a
    // change, a player's new name).
    static void announce(const View& source, const std::string& text);

    // For tests: keeps every announcement and name change the platform sends
    // ("announce: Kim, 21", "name: Player 1 life, 21") until taken.
    static void setRecording(bool on);
    static std::vector<std::string> takeRecorded();
};

}
