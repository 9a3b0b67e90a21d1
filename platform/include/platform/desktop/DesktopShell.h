#pragma once
// Ties a window to the desktop session: minimising or hiding it sends the
// application to the background, restoring brings it back, closing it, Ctrl+Q
// or SIGTERM/SIGINT/SIGHUP terminate the application and end the run loop, and a
// context menu with Ctrl+Left / Ctrl+Right turns the device. It draws nothing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Window;

class DesktopShell {
public:
    DesktopShell();
    ~DesktopShell();
    DesktopShell(const DesktopShell&) = delete;
    DesktopShell& operator=(const DesktopShell&) = delete;

    // Starts watching the window (non-owning; it must outlive this shell or
    // be detached first). False when its toolkit window cannot be found.
    bool attach(Window& window);
    void detach();
    bool isAttached() const;

    // Routes SIGTERM, SIGINT and SIGHUP to quit() through the run loop (the
    // handler itself only writes one byte to a pipe). One shell at a time may
    // hold them; the previous handlers come back when it goes.
    bool installSignalHandlers();

    // Terminates the application once (callback and notification), then runs
    // onQuit. Later calls only run onQuit again.
    void quit();
    bool hasTerminated() const { return terminated_; }
    // Runs after termination; by default quits the main run loop with 0.
    std::function<void()> onQuit;

    // The device turns a quarter to the left (counter-clockwise) or right.
    // Turning left from portrait brings the home button to the right (3), the
    // way a phone is turned to watch a video; so left runs 1 -> 3 -> 2 -> 4 -> 1
    // and right runs the other way, 1 -> 4 -> 2 -> 3 -> 1. Unknown values count as portrait.
    static int orientationAfterTurningLeft(int orientation);
    static int orientationAfterTurningRight(int orientation);
    // Turns the device and asks the application to follow; returns whether
    // the screen rotated.
    bool rotateLeft();
    bool rotateRight();

    // For tests: acts as the desktop would on the attached window.
    // "minimize", "restore", "hide", "show", "close"; false when unknown or detached.
    bool simulateWindowEvent(const std::string& what);
    // Runs the menu entry whose shortcut is `keys` ("Ctrl+Q", "Ctrl+Left");
    // false when there is none.
    bool triggerShortcut(const std::string& keys);
    // Texts of the context menu entries, in order (separators left out).
    std::vector<std::string> menuEntries() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    bool terminated_ = false;
};

}
