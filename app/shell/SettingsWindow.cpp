#include "SettingsWindow.h"

#include "platform/ui/Application.h"

namespace tolvane {

SettingsWindow::SettingsWindow(platform::UserDefaults& store)
    : window_(std::make_unique<platform::Window>(platform::Rect { 0, 0, 320, 480 }))
    , controller_(std::make_unique<SettingsViewController>(store))
{
    window_->setTitle("Tolvane Settings");
    window_->setObjectName("settingsWindow");
}

SettingsWindow::~SettingsWindow()
{
    auto& app = platform::Application::shared();
    if (app.keyWindow() == window_.get())
        app.setKeyWindow(nullptr);
    window_->setRootViewController(nullptr);
    window_.reset();
    controller_.reset();
}

void SettingsWindow::show()
{
    window_->setRootViewController(controller_.get());
    window_->makeKeyAndVisible();
    controller_->view(); // built on first display
}

}
