#include "WindowCommands.h"

#include "KeyMap.h"
#include "TolvaneAppDelegate.h"

#include "platform/RunLoop.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"

#include <algorithm>

namespace tolvane {

WindowCommands::WindowCommands(TolvaneAppDelegate& delegate, platform::DesktopShell& desktop,
    platform::UserDefaults& store)
    : delegate_(delegate)
    , desktop_(desktop)
    , store_(store)
{
    bindKeys();
    desktop_.addMenuEntry("Undo", "Ctrl+Z", [this] { undo(); });
    desktop_.addMenuEntry("Redo", "Ctrl+Shift+Z", [this] { redo(); });
    desktop_.addMenuEntry("Settings\u2026", "Ctrl+,", [this] { openSettings(); });
    desktop_.addMenuEntry("Keys", "F1", [this] { isKeyMapShown() ? hideKeyMap() : showKeyMap(); });
}

WindowCommands::~WindowCommands()
{
    hideKeyMap();
    // The settings window hangs on the game window: it goes first.
    if (settings_)
        settings_->window().setModalOver(nullptr);
    settings_.reset();
}

TolvaneViewController* WindowCommands::game() const
{
    auto* vc = delegate_.viewController.get();
    return vc && vc->isViewLoaded() ? vc : nullptr;
}

bool WindowCommands::questionOnScreen() const
{
    auto* vc = game();
    platform::AlertView* alert = vc ? vc->currentAlert() : nullptr;
    if (!alert)
        alert = platform::AlertView::current();
    return alert && alert->isVisible();
}

// Full-screen content (an ad's page, the browser) covers the game: the menu's
// commands wait for the game as its keys do. Settings opened then would bring
// the ads' refresh back under that content when they close.
bool WindowCommands::covered() const
{
    auto* vc = game();
    return vc && vc->modalViewController();
}

void WindowCommands::tap(platform::Button* button)
{
    // A question on screen is modal: only Return and Escape answer it.
    if (button && !questionOnScreen())
        button->simulateTap();
}

void WindowCommands::bindKeys()
{
    auto two = [this] { return game() && game()->numPlayers <= 2; };
    // Full-screen content over the game (an ad's page, the browser) covers
    // its controls: their keys go to that content until the game is back.
    auto bind = [this](const char* keys, std::function<void()> fn, bool repeats = false) {
        desktop_.bindKey(keys, [this] { return !game() || !game()->modalViewController(); }, std::move(fn), repeats);
    };
    // Life keys: the two players' buttons, or with more players "All +1",
    // "All -1" and the picked player's wheel.
    bind("W", [this, two] { if (two()) tap(game()->buttonInc0.get()); }, true);
    bind("S", [this, two] { if (two()) tap(game()->buttonDec0.get()); }, true);
    bind("Shift+W", [this, two] { if (two()) tap(game()->buttonInc5Hp0.get()); }, true);
    bind("Shift+S", [this, two] { if (two()) tap(game()->buttonDec5Hp0.get()); }, true);
    bind("Up", [this, two] { two() ? tap(game() ? game()->buttonInc1.get() : nullptr) : turnPickedWheel(1); }, true);
    bind("Down", [this, two] { two() ? tap(game() ? game()->buttonDec1.get() : nullptr) : turnPickedWheel(-1); }, true);
    bind("Shift+Up", [this, two] { two() ? tap(game() ? game()->buttonInc5Hp1.get() : nullptr) : turnPickedWheel(5); }, true);
    bind("Shift+Down", [this, two] { two() ? tap(game() ? game()->buttonDec5Hp1.get() : nullptr) : turnPickedWheel(-5); }, true);
    for (const char* plus : { "+", "=" })
        bind(plus, [this, two] { if (game() && !two()) tap(game()->buttonInc0.get()); }, true);
    bind("-", [this, two] { if (game() && !two()) tap(game()->buttonDec0.get()); }, true);
    for (int p = 1; p <= 9; ++p)
        bind(std::to_string(p).c_str(), [this, p] { pickPlayer(p - 1); });

    bind("R", [this] { if (game()) tap(game()->buttonReset.get()); });
    bind("Shift+R", [this] {
        if (game() && !questionOnScreen())
            game()->buttonReset->simulateLongPress();
    });
    bind("L", [this] { if (game()) tap(game()->buttonLogView.get()); });
    bind("D", [this, two] {
        if (game())
            tap(two() ? game()->buttonDice.get() : game()->diceButton());
    });
    bind("X", [this, two] { if (two()) tap(game()->buttonSwap.get()); });
    bind("P", [this, two] {
        if (two() && !questionOnScreen())
            game()->switchPoison->simulateUserSet(!game()->switchPoison->isOn());
    });
    bind("Return", [this] { answerQuestion(true); });
    bind("Enter", [this] { answerQuestion(true); });
    bind("Escape", [this] {
        if (questionOnScreen())
            answerQuestion(false);
        else
            hideKeyMap();
    });
    bind("?", [this] { isKeyMapShown() ? hideKeyMap() : showKeyMap(); });
}

void WindowCommands::answerQuestion(bool ok)
{
    auto* vc = game();
    platform::AlertView* alert = vc ? vc->currentAlert() : nullptr;
    if (!alert)
        alert = platform::AlertView::current();
    if (!alert || !alert->isVisible())
        return;
    const int buttons = int(alert->buttonTitles().size());
    alert->simulateButtonPress(ok && buttons > 1 ? 1 : alert->cancelButtonIndex());
}

void WindowCommands::pickPlayer(int player)
{
    if (auto* vc = game(); vc && vc->numPlayers > 2 && player < vc->numPlayers)
        picked_ = player;
}

void WindowCommands::turnPickedWheel(int steps)
{
    auto* vc = game();
    if (!vc || !vc->picker || questionOnScreen() || picked_ >= vc->picker->numberOfComponents())
        return;
    // As a player turning the wheel by `steps` rows and letting it rest.
    const int rows = vc->picker->numberOfRowsInComponent(picked_);
    const int from = vc->picker->selectedRowInComponent(picked_);
    const int to = std::clamp(from - steps, 0, std::max(0, rows - 1));
    if (to != from)
        vc->picker->simulateUserSelect(to, picked_);
}

std::string WindowCommands::keyMapText() const
{
    return KeyMap::overlayText(game() ? game()->numPlayers : 2);
}

void WindowCommands::showKeyMap()
{
    platform::Window* window = delegate_.window.get();
    // Over a question the map would hide it, while Return still answers it.
    if (!window || isKeyMapShown() || questionOnScreen() || covered())
        return;
    const platform::Rect frame = window->frame();
    const platform::Rect area { 0, 20, frame.width, frame.height - 20 };
    keyMapBackdrop_ = std::make_unique<platform::Button>(area, platform::Button::Type::Custom);
    keyMapBackdrop_->setObjectName("keyMap");
    keyMapBackdrop_->setBackgroundColor({ 0.05f, 0.07f, 0.12f, 0.92f });
    // A click anywhere closes it, as Escape does.
    keyMapBackdrop_->onTouchUpInside = [this](platform::Button&) {
        platform::RunLoop::main().post([this] { hideKeyMap(); });
    };
    const std::string text = keyMapText();
    const int lines = int(std::count(text.begin(), text.end(), '\n')) + 2;
    keyMapLabel_ = std::make_unique<platform::Label>(platform::Rect { 12, 28, frame.width - 24, frame.height - 36 });
    keyMapLabel_->setObjectName("keyMapText");
    keyMapLabel_->setNumberOfLines(0);
    keyMapLabel_->setTextColor(platform::Color::white());
    keyMapLabel_->setFont(platform::Font::systemFont(std::min(13.0f, (frame.height - 40) / float(lines) / 1.2f)));
    keyMapLabel_->setText("Keys\n" + text);
    window->addSubview(*keyMapBackdrop_);
    window->addSubview(*keyMapLabel_);
}

void WindowCommands::hideKeyMap()
{
    keyMapLabel_.reset();
    keyMapBackdrop_.reset();
}

void WindowCommands::openSettings()
{
    if (settings_ || !delegate_.window || covered())
        return;
    auto& app = platform::Application::shared();
    app.enterBackground();
    settings_ = std::make_shared<SettingsWindow>(store_);
    settings_->window().setModalOver(delegate_.window.get());
    settings_->window().onCloseRequest = [this] { closeSettings(); };
    settings_->controller().onDone = [this] { closeSettings(); };
    settings_->show();
}

void WindowCommands::closeSettings()
{
    if (!settings_)
        return;
    // The window may be inside its own close or its Done button: it goes on
    // the next turn of the run loop.
    std::shared_ptr<SettingsWindow> closing = std::move(settings_);
    closing->window().setModalOver(nullptr);
    closing->window().setHidden(true);
    platform::RunLoop::main().post([closing] { });
    if (delegate_.window)
        delegate_.window->makeKeyAndVisible();
    platform::Application::shared().enterForeground();
}

bool WindowCommands::undo()
{
    auto* vc = game();
    return vc && !questionOnScreen() && !covered() && vc->undo();
}

bool WindowCommands::redo()
{
    auto* vc = game();
    return vc && !questionOnScreen() && !covered() && vc->redo();
}

}
