#pragma once
// Starts the application the way the phone's system does: the delegate's
// launch, the first display of the screen, and the device held the way the
// screen asked for at start-up. It owns nothing and runs no event loop.

#include <memory>

class TolvaneAppDelegate;

namespace tolvane {

class Launcher {
public:
    // Makes the delegate (with its window and controller), installs it as
    // the application's delegate and launches. The caller owns the result
    // and must clear the application's delegate before dropping it (the
    // delegate's destructor does).
    static std::unique_ptr<TolvaneAppDelegate> launch();

    // When the start-up turned the status bar (landscape at start), the
    // player turns the device to match, and the screen follows through the
    // usual query and rotation. Returns whether a rotation happened.
    static bool followStatusBarOrientation();
};

}
