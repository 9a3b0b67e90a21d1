#include "TolvaneViewController.h"

#include "ScreenFrames.h"

#include "platform/ui/Image.h"

#include <utility>

// The screen as its interface description would hold it: every control with
// its portrait frame, its outlet's name and its action. The start-up
// (viewDidLoad) completes it.

namespace {
std::unique_ptr<platform::Button> makeButton(const std::string& name, platform::Rect frame, const std::string& title,
    platform::Font font)
{
    auto button = std::make_unique<platform::Button>(frame, platform::Button::Type::RoundedRect);
    button->setObjectName(name);
    button->setTitle(title);
    button->setFont(font);
    return button;
}

std::unique_ptr<platform::TextField> makeNameField(const std::string& name, platform::Rect frame,
    const std::string& text)
{
    auto field = std::make_unique<platform::TextField>(frame);
    field->setObjectName(name);
    field->setBorderStyle(platform::TextField::BorderStyle::RoundedRect);
    field->setFont(platform::Font::boldSystemFont(18));
    field->setTextAlignment(platform::TextAlignment::Center);
    field->setClearButtonMode(platform::TextField::ClearButtonMode::WhileEditing);
    field->setAdjustsFontSizeToFitWidth(true);
    field->setMinimumFontSize(9);
    field->setText(text);
    return field;
}

std::unique_ptr<platform::Label> makeCaption(const std::string& name, platform::Rect frame, const std::string& text)
{
    auto label = std::make_unique<platform::Label>(frame);
    label->setObjectName(name);
    label->setText(text);
    label->setFont(platform::Font::systemFont(12));
    label->setTextAlignment(platform::TextAlignment::Center);
    label->setBackgroundColor(platform::Color::clear());
    return label;
}
}

void TolvaneViewController::loadView()
{
    // A second load (after the view was unloaded) starts from a clean screen.
    ar_nameField.clear();
    extraNameFields.clear();
    ar_lblRandom.clear();
    buttonDiceAll.reset();
    containerView.reset();

    const ScreenFrames& f = kPortraitFrames;
    auto root = std::make_unique<platform::View>(platform::Rect { 0, 0, 320, 460 });
    root->setObjectName("view");
    root->setBackgroundColor({ 0.86f, 0.88f, 0.91f, 1 });

    pelkLogo = std::make_unique<platform::ImageView>(f.pelkLogo);
    pelkLogo->setObjectName("pelkLogo");
    pelkLogo->setImage(platform::Image::named("logo.png"));

    nameField0 = makeNameField("nameField0", f.nameField0, "Kim");
    nameField1 = makeNameField("nameField1", f.nameField1, "Lee");
    // Leaving a name field without the return key keeps the name as well,
    // and the game is saved with it like after any other change.
    for (platform::TextField* field : { nameField0.get(), nameField1.get() }) {
        field->onDidEndOnExit = [this](platform::TextField& f) { textFieldDoneEditing(f); };
        field->onEditingDidEnd = field->onDidEndOnExit;
    }

    picker = std::make_unique<platform::PickerView>(f.picker);
    picker->setObjectName("picker");
    picker->setDataSource(this);
    picker->setDelegate(this);

    logView = std::make_unique<platform::TextView>(f.logParked);
    logView->setObjectName("logView");
    logView->setEditable(false);
    logView->setFont(platform::Font::systemFont(15));

    labelPoison0 = makeCaption("labelPoison0", f.labelPoison0, "Poison");
    labelPoison1 = makeCaption("labelPoison1", f.labelPoison1, "Poison");
    labelPoison0->setHidden(true);
    labelPoison1->setHidden(true);

    const platform::Font lifeFont = platform::Font::boldSystemFont(22);
    buttonDec5Hp0 = makeButton("buttonDec5Hp0", f.buttonDec5Hp0, "-5", lifeFont);
    buttonDec5Hp1 = makeButton("buttonDec5Hp1", f.buttonDec5Hp1, "-5", lifeFont);
    buttonInc5Hp0 = makeButton("buttonInc5Hp0", f.buttonInc5Hp0, "+5", lifeFont);
    buttonInc5Hp1 = makeButton("buttonInc5Hp1", f.buttonInc5Hp1, "+5", lifeFont);
    buttonDec0 = makeButton("buttonDec0", f.buttonDec0, "-1", lifeFont);
    buttonDec1 = makeButton("buttonDec1", f.buttonDec1, "-1", lifeFont);
    buttonInc0 = makeButton("buttonInc0", f.buttonInc0, "+1", lifeFont);
    buttonInc1 = makeButton("buttonInc1", f.buttonInc1, "+1", lifeFont);
    for (auto* button : { &buttonDec5Hp0, &buttonDec5Hp1, &buttonInc5Hp0, &buttonInc5Hp1, &buttonDec0, &buttonDec1,
             &buttonInc0, &buttonInc1 })
        (*button)->onTouchUpInside = [this](platform::Button& b) { changeHp(&b); };

    buttonDice = makeButton("buttonDice", f.buttonDice, "Dice", platform::Font::boldSystemFont(12));
    buttonDice->onTouchUpInside = [this](platform::Button&) { doThrowDiceOnBtn(); };
    buttonSwap = makeButton("buttonSwap", f.buttonSwap, "Swap", platform::Font::boldSystemFont(12));
    buttonSwap->onTouchUpInside = [this](platform::Button& b) { swapButton(&b); };

    // The bottom row is placed so that it stays clear of the layout for three
    // or more players, which moves the log button and adds its own controls.
    labelPoisonSwitch = makeCaption("labelPoisonSwitch", f.labelPoisonSwitch, "Poison");
    switchPoison = std::make_unique<platform::Switch>(f.switchPoison);
    switchPoison->setObjectName("switchPoison");
    switchPoison->onValueChanged = [this](platform::Switch&) { HandlePoisonSwitch(); };
    buttonLogView = makeButton("buttonLogView", f.buttonLogView, "Log", platform::Font::boldSystemFont(14));
    buttonLogView->onTouchUpInside = [this](platform::Button& b) { handleLogButton(&b); };
    // A tap starts the next round; holding the button starts a new game.
    buttonReset = makeButton("buttonReset", f.buttonReset, "Reset", platform::Font::boldSystemFont(12));
    buttonReset->onTouchUpInside = [this](platform::Button&) { Reset(); };
    buttonReset->onLongPress = [this](platform::Button&) { HardReset(); };
    // Holding the button is the only way to a new game, so say so where a
    // player's pointer rests.
    buttonReset->setToolTip("Tap: next round. Hold: new game.");
    buttonFacebook = std::make_unique<platform::Button>(f.buttonFacebook, platform::Button::Type::Custom);
    buttonFacebook->setObjectName("buttonFacebook");
    buttonFacebook->onTouchUpInside = [this](platform::Button& b) { handleFacebookBtn(&b); };

    // What screen readers call the controls; the wheels say their totals
    // themselves (accessibilityLabelForComponent).
    for (auto& [view, label] : std::initializer_list<std::pair<platform::View*, const char*>> {
             { buttonInc0.get(), "Player 1 plus one" }, { buttonDec0.get(), "Player 1 minus one" },
             { buttonInc5Hp0.get(), "Player 1 plus five" }, { buttonDec5Hp0.get(), "Player 1 minus five" },
             { buttonInc1.get(), "Player 2 plus one" }, { buttonDec1.get(), "Player 2 minus one" },
             { buttonInc5Hp1.get(), "Player 2 plus five" }, { buttonDec5Hp1.get(), "Player 2 minus five" },
             { nameField0.get(), "Player 1 name" }, { nameField1.get(), "Player 2 name" },
             { buttonReset.get(), "Reset: next round; hold for a new game" }, { buttonLogView.get(), "Game log" },
             { buttonDice.get(), "Dice" }, { buttonSwap.get(), "Swap sides" },
             { switchPoison.get(), "Poison counters" }, { buttonFacebook.get(), "Tolvane on Facebook" },
             { logView.get(), "Game log text" }, { pelkLogo.get(), "Tolvane" } })
        view->setAccessibilityLabel(label);

    for (platform::View* v : std::initializer_list<platform::View*> { pelkLogo.get(), nameField0.get(),
             nameField1.get(), labelPoison0.get(), labelPoison1.get(), buttonDec5Hp0.get(), buttonDec5Hp1.get(),
             buttonInc5Hp0.get(), buttonInc5Hp1.get(), buttonDec0.get(), buttonDec1.get(), buttonInc0.get(),
             buttonInc1.get(), buttonDice.get(), buttonSwap.get(), labelPoisonSwitch.get(), switchPoison.get(),
             buttonLogView.get(), buttonReset.get(), buttonFacebook.get() })
        root->addSubview(*v);

    setView(std::move(root));
}
