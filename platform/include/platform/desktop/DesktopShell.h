#pragma once
// Ties a window to the desktop session: minimising or hiding it sends the
// application to the background, restoring brings it back, closing it, Ctrl+Q
// or SIGTERM/SIGINT/SIGHUP terminate the application and end the run loop, a
// context menu with Ctrl+Left / Ctrl+Right turns the device, F11 toggles full
// screen, and keys pressed in the window run the actions bound to them. It
// draws nothing and knows no game.

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

    // Keys, in Qt's key-sequence text ("Ctrl+Z", "Shift+Up", "F1", "?"),
    // run their action when pressed in the window, before the control with
    // the focus sees them, except while a name is being typed. A symbol
    // counts with or without Shift. Held keys repeat only when `repeats`.
    // False for a text that names no single key.
    bool bindKey(const std::string& keys, std::function<void()> fn, bool repeats = false);
    // As above, but only while `when` holds; otherwise the key goes on to the
    // control with the focus as if it were not bound (the page of full-screen
    // content over the game, say).
    bool bindKey(const std::string& keys, std::function<bool()> when, std::function<void()> fn, bool repeats);
    // A context menu entry, placed before Quit, with its keys shown and bound.
    void addMenuEntry(const std::string& text, const std::string& keys, std::function<void()> fn);
    // Delivers a key sequence ("Ctrl+Z", "Shift+R, L") as real key events, key
    // by key, to the control with the focus in the window (else the window),
    // however many keys it holds. False, and nothing sent, when any is no key.
    bool sendKeys(const std::string& sequence);

    void toggleFullScreen();
    bool isFullScreen() const;
    // Shrinks the window until it fits the screen's free area, keeping its
    // aspect (a desktop scaled up can leave less room than 320 x 480).
    void fitToScreen();
    // Whether the whole window lies within the screen's free area.
    bool fitsScreen() const;

    // For tests: acts as the desktop would on the attached window.
    // "minimize", "restore", "hide", "show", "close"; false when unknown or detached.
    bool simulateWindowEvent(const std::string& what);
    // Runs the action bound to `keys` ("Ctrl+Q", "Ctrl+Left"); false when
    // there is none.
    bool triggerShortcut(const std::string& keys);
    // Runs the context menu entry with this text; false when there is none.
    bool triggerMenuEntry(const std::string& text);
    // Texts of the context menu entries, in order (separators left out).
    std::vector<std::string> menuEntries() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    bool terminated_ = false;
};

}
