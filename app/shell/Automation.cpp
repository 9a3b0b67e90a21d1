#include "Automation.h"

#include "Launcher.h"
#include "WindowCommands.h"
#include "SettingsKeys.h"
#include "TolvaneAppDelegate.h"

#include "Delegate/ADSWebViewDelegate.h"
#include "Object/ADSObjectPrivate.h"
#include "View/ADSBannerView.h"
#include "ViewController/ADSViewController.h"

#include "platform/Clock.h"
#include "platform/JsonWriter.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"
#include "platform/ui/AlertView.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/ui/Application.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace tolvane {

Automation::Automation(std::ostream& out, std::ostream& err)
    : out_(out)
    , err_(err)
{
}

Automation::~Automation()
{
    // Full-screen content keeps itself while on screen: it gives the screen
    // back, top first, and goes with the run.
    std::vector<platform::ViewController*> stack = fullScreenStack();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (auto* ad = dynamic_cast<ADSViewController*>(*it))
            ad->relinquishScreen();
    platform::RunLoop::main().runPending();
    // The controller's alert and timers go with it; nothing of the run is
    // saved unless the script asked for it.
    commands_.reset();
    desktop_.reset();
    delegate_.reset();
}

TolvaneViewController* Automation::controller() const
{
    return delegate_ ? delegate_->viewController.get() : nullptr;
}

int Automation::fail(const ScriptCommand& command, const std::string& reason, int code)
{
    err_ << ScriptError { command.line, reason }.message() << std::endl;
    return code;
}

int Automation::runScript(std::string_view script)
{
    auto parsed = ScriptParser::parse(script);
    if (parsed.error) {
        err_ << parsed.error->message() << std::endl;
        return kBadScript;
    }
    return run(parsed.commands);
}

int Automation::run(const std::vector<ScriptCommand>& commands)
{
    for (const auto& command : commands) {
        int rc = execute(command);
        if (rc != kSuccess)
            return rc;
    }
    return kSuccess;
}

int Automation::launch()
{
    delegate_ = Launcher::launch();
    launched_ = true;
    // The keys and the menu of the window, as on the desktop; Ctrl+Q ends
    // the run's application as the window's close would.
    desktop_ = std::make_unique<platform::DesktopShell>();
    desktop_->onQuit = [this] { terminated_ = true; };
    if (delegate_->window && desktop_->attach(*delegate_->window))
        commands_ = std::make_unique<WindowCommands>(*delegate_, *desktop_, platform::UserDefaults::standard());
    return kSuccess;
}

bool Automation::screenshot(const std::string& path)
{
    if (!delegate_ || !delegate_->window)
        return false;
    platform::RunLoop::main().runPending();
    return delegate_->window->renderToPng(path);
}

bool Automation::runRealEvents(double seconds, const std::function<bool()>& done)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto& loop = platform::RunLoop::main();
    for (;;) {
        loop.runPending();
        if (done())
            return true;
        if (Clock::now() >= deadline)
            return false;
        // Network replies and the engine's processes arrive on their own time.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// A real press and release on the ad's first link, then the navigation it
// starts must reach the banner's bridge, which treats it as the user's click.
int Automation::clickAd(const ScriptCommand& command)
{
    ADSBannerView* banner = controller()->bannerView_.get();
    if (!banner)
        return fail(command, "the screen has no banner");
    const int32_t state = banner->privateObject().state();
    if (state != ADSObjectPrivate::AdShown)
        return fail(command, "no ad is shown in the banner (state " + std::to_string(state) + ")");

    platform::WebView& webView = banner->webView();
    // The web view answers later; after a time-out the answer finds this gone.
    struct Progress {
        std::optional<bool> clicked;
        bool navigated = false;
    };
    auto progress = std::make_shared<Progress>();
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(progress.get(), ADSWebViewDelegateDidReceiveWebAction, &webView,
        [progress](const platform::Notification&) { progress->navigated = true; });
    webView.simulateClickOnFirstLink([progress](bool clicked) { progress->clicked = clicked; });
    int rc = kSuccess;
    if (!runRealEvents(kClickSeconds, [&] { return progress->clicked.has_value(); }))
        rc = fail(command, "timed out clicking the ad", kTimedOut);
    else if (!*progress->clicked)
        rc = fail(command, "the ad has no link to click");
    else if (!runRealEvents(kClickSeconds, [&] { return progress->navigated; }))
        rc = fail(command, "timed out waiting for the ad's click to reach the banner", kTimedOut);
    center.removeObserver(progress.get());
    return rc;
}

int Automation::execute(const ScriptCommand& command)
{
    using K = ScriptCommand::Kind;
    auto& app = platform::Application::shared();
    auto& store = platform::UserDefaults::standard();

    // Commands that act on the running application.
    bool needsApp = command.kind != K::Clock && command.kind != K::Settings && command.kind != K::Unset
        && command.kind != K::Launch && command.kind != K::Advance && command.kind != K::Wait;
    if (needsApp && !launched_)
        return fail(command, "the application is not launched yet (launch first)");
    bool inspects = command.kind == K::Dump || command.kind == K::Screenshot;
    if (needsApp && terminated_ && !inspects)
        return fail(command, "the application has terminated");

    TolvaneViewController* vc = controller();
    // An alert is modal: while it is up the player can only answer it.
    bool touchesScreen = command.kind == K::Tap || command.kind == K::Wheel || command.kind == K::Name
        || command.kind == K::Poison || command.kind == K::Reset || command.kind == K::HardReset
        || command.kind == K::Undo || command.kind == K::Redo || command.kind == K::ClickAd;
    if (touchesScreen && vc) {
        platform::AlertView* alert = vc->currentAlert();
        if (!alert)
            alert = platform::AlertView::current();
        if (alert && alert->isVisible())
            return fail(command, "an alert is on screen (answer it with alert INDEX first)");
    }
    // Full-screen content covers the game: only its own items can be pressed.
    if (touchesScreen && command.kind != K::Tap && !fullScreenStack().empty())
        return fail(command, "full-screen content covers the game (close it first)");
    int rc = kSuccess;
    switch (command.kind) {
    case K::Clock: {
        if (launched_)
            return fail(command, "clock must come before launch");
        auto* clock = dynamic_cast<platform::VirtualClock*>(&platform::Clock::shared());
        if (!clock)
            return fail(command, "the clock is not virtual", kFailure);
        const int* t = command.dateTime;
        clock->setLocalDateTime(t[0], t[1], t[2], t[3], t[4], t[5]);
        break;
    }
    case K::Settings:
    case K::Unset:
        if (command.kind == K::Unset)
            store.removeObject(command.word);
        for (const auto& [key, value] : command.settings)
            store.setObject(key, value);
        // As the settings application does: written through at once.
        if (!store.synchronize())
            return fail(command, "cannot write the settings to " + store.filePath(), kFailure);
        break;
    case K::Launch:
        if (launched_)
            return fail(command, "the application is already launched");
        rc = launch();
        break;
    case K::Tap: {
        bool fullScreenItem = false;
        rc = tapFullScreen(command, fullScreenItem);
        if (fullScreenItem || rc != kSuccess)
            break;
        platform::View* found = nullptr;
        if (command.word == "dice")
            found = vc->diceButton();
        if (!found)
            found = vc->view().findByName(command.word);
        auto* button = dynamic_cast<platform::Button*>(found);
        if (!button)
            return fail(command, "no button named \"" + command.word + "\"");
        button->simulateTap();
        break;
    }
    case K::Wheel: {
        auto* picker = vc->picker.get();
        if (!picker)
            return fail(command, "the screen has no picker");
        if (command.first >= picker->numberOfComponents())
            return fail(command, "the picker has no component " + std::to_string(command.first));
        if (command.second >= picker->numberOfRowsInComponent(command.first))
            return fail(command, "component " + std::to_string(command.first) + " has no row " + std::to_string(command.second));
        picker->simulateUserSelect(command.second, command.first);
        break;
    }
    case K::Name:
        if (command.first >= int(vc->ar_nameField.size()) || !vc->ar_nameField[command.first])
            return fail(command, "there is no player " + std::to_string(command.first));
        vc->ar_nameField[command.first]->simulateUserEdit(command.word);
        break;
    case K::Poison:
        if (!vc->switchPoison)
            return fail(command, "the screen has no poison switch");
        vc->switchPoison->simulateUserSet(command.on);
        break;
    case K::Reset:
        vc->Reset();
        break;
    case K::HardReset:
        vc->HardReset();
        break;
    case K::Alert: {
        platform::AlertView* alert = vc->currentAlert();
        if (!alert)
            alert = platform::AlertView::current();
        if (!alert || !alert->isVisible())
            return fail(command, "no alert is on screen");
        if (command.first >= int(alert->buttonTitles().size()))
            return fail(command, "the alert has no button " + std::to_string(command.first));
        alert->simulateButtonPress(command.first);
        break;
    }
    case K::Rotate:
        app.setDeviceOrientation(command.first);
        break;
    case K::Advance: {
        auto* clock = dynamic_cast<platform::VirtualClock*>(&platform::Clock::shared());
        if (!clock)
            return fail(command, "the clock is not virtual", kFailure);
        clock->advance(command.seconds);
        break;
    }
    case K::Background:
        app.enterBackground();
        break;
    case K::Foreground:
        app.enterForeground();
        break;
    case K::Terminate:
        app.terminate();
        terminated_ = true;
        break;
    case K::Screenshot:
        if (!screenshot(command.word))
            return fail(command, "cannot write the screenshot to " + command.word, kFailure);
        break;
    case K::Dump:
        out_ << platform::JsonWriter::write(dumpValue()) << std::endl;
        break;
    case K::Key:
        // Real key events: an alert on screen takes Return and Escape itself.
        if (!desktop_ || !desktop_->sendKeys(command.word))
            return fail(command, "\"" + command.word + "\" is not a key sequence (Qt's key-sequence text, e.g. Ctrl+Z)");
        break;
    case K::Undo:
    case K::Redo:
        if (!commands_)
            return fail(command, "the window has no keys", kFailure);
        command.kind == K::Undo ? commands_->undo() : commands_->redo();
        break;
    case K::WindowSize:
        delegate_->window->setPixelSize(command.first, command.second);
        break;
    case K::Wait:
        runRealEvents(command.seconds, [] { return false; });
        break;
    case K::WaitFor: {
        const auto state = [vc] { return vc->bannerView_ ? vc->bannerView_->privateObject().state() : -1; };
        if (!vc->bannerView_)
            return fail(command, "the screen has no banner");
        if (!runRealEvents(command.seconds, [&] { return state() == command.first; }))
            return fail(command,
                "timed out waiting for banner state " + std::to_string(command.first) + " (now " + std::to_string(state()) + ")",
                kTimedOut);
        break;
    }
    case K::ClickAd:
        rc = clickAd(command);
        break;
    case K::WaitForFullScreen:
        rc = waitForFullScreen(command);
        break;
    case K::Composer:
        rc = composer(command);
        break;
    }
    platform::RunLoop::main().runPending();
    return rc;
}

}
