#pragma once
// The settings application's window: a window of its own holding the
// settings screen. It owns both; it does not run the event loop.

#include "SettingsViewController.h"

#include "platform/ui/Window.h"

#include <memory>

namespace tolvane {

class SettingsWindow {
public:
    explicit SettingsWindow(platform::UserDefaults& store); // non-owning
    ~SettingsWindow();

    void show();
    platform::Window& window() { return *window_; }
    SettingsViewController& controller() { return *controller_; }

private:
    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<SettingsViewController> controller_;
};

}
