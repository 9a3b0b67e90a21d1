#include "Launcher.h"

#include "TolvaneAppDelegate.h"

#include "platform/RunLoop.h"
#include "platform/ui/Application.h"

namespace tolvane {

std::unique_ptr<TolvaneAppDelegate> Launcher::launch()
{
    auto delegate = std::make_unique<TolvaneAppDelegate>();
    auto& app = platform::Application::shared();
    app.setDelegate(delegate.get());
    app.finishLaunching();
    // The first display of the screen runs its start-up.
    if (delegate->viewController)
        delegate->viewController->view();
    platform::RunLoop::main().runPending();
    followStatusBarOrientation();
    return delegate;
}

bool Launcher::followStatusBarOrientation()
{
    auto& app = platform::Application::shared();
    int wanted = app.statusBarOrientation();
    auto* window = app.keyWindow();
    auto* root = window ? window->rootViewController() : nullptr;
    if (!root || wanted < 1 || wanted > 4 || root->interfaceOrientation() == wanted)
        return false;
    return app.setDeviceOrientation(wanted);
}

}
