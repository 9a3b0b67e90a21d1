#pragma once
// What a player can do in the game window beyond touching its controls: the
// keys of the key map, the key-map overlay, the settings window over the
// game, undo and redo, each also on the window's context menu. It acts on
// the controller only through its public operations and simulated touches,
// so a key does exactly what its control does. It owns the overlay and the
// settings window, nothing else.

#include "SettingsWindow.h"

#include "platform/UserDefaults.h"
#include "platform/ui/Controls.h"

#include <memory>

class TolvaneAppDelegate;
class TolvaneViewController;

namespace platform {
class DesktopShell;
}

namespace tolvane {

class WindowCommands {
public:
    // All non-owning; each must outlive this object. The shell must be
    // attached to the delegate's window.
    WindowCommands(TolvaneAppDelegate& delegate, platform::DesktopShell& desktop, platform::UserDefaults& store);
    ~WindowCommands();
    WindowCommands(const WindowCommands&) = delete;
    WindowCommands& operator=(const WindowCommands&) = delete;

    void showKeyMap();
    void hideKeyMap();
    bool isKeyMapShown() const { return keyMapBackdrop_ != nullptr; }
    std::string keyMapText() const;

    // The settings window over the game. The game goes to the background
    // while it is open (and so is saved), and comes back to the foreground
    // when it closes, which re-reads what takes effect at once.
    void openSettings();
    void closeSettings();
    SettingsWindow* settingsWindow() const { return settings_.get(); }

    bool undo();
    bool redo();
    // With three or more players: the player the arrow keys turn (0-based).
    int pickedPlayer() const { return picked_; }

private:
    TolvaneViewController* game() const;
    bool covered() const;
    bool questionOnScreen() const;
    void bindKeys();
    void tap(platform::Button* button);
    void pickPlayer(int player);
    void turnPickedWheel(int steps);
    void answerQuestion(bool ok);

    TolvaneAppDelegate& delegate_;
    platform::DesktopShell& desktop_;
    platform::UserDefaults& store_;
    int picked_ = 0;
    std::unique_ptr<platform::Button> keyMapBackdrop_;
    std::unique_ptr<platform::Label> keyMapLabel_;
    std::shared_ptr<SettingsWindow> settings_;
};

}
