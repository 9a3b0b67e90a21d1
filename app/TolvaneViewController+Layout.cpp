#include "TolvaneViewController.h"

#include "ScreenFrames.h"

#include "View/ADSBannerView.h"

#include "platform/Console.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Image.h"

namespace {
void place(const std::unique_ptr<platform::Button>& control, platform::Rect frame)
{
    if (control)
        control->setFrame(frame);
}

template <typename T> void placeView(const std::unique_ptr<T>& control, platform::Rect frame)
{
    if (control)
        control->setFrame(frame);
}

void placeDoubledOnes(TolvaneViewController& c, const ScreenFrames& f)
{
    place(c.buttonDec0, f.doubleDec0);
    place(c.buttonInc0, f.doubleInc0);
    place(c.buttonDec1, f.doubleDec1);
    place(c.buttonInc1, f.doubleInc1);
}

// One orientation's table, whole. Without the +5/-5 row the four are parked
// and the +1/-1 buttons take the doubled frames `doubleOnes` gives them.
void applyFrames(TolvaneViewController& c, const ScreenFrames& f, void (TolvaneViewController::*doubleOnes)())
{
    placeView(c.containerView, f.containerView);
    placeView(c.picker, f.picker);
    placeView(c.logView, c.frontViewVisible ? f.logParked : f.logShown);
    placeView(c.nameField0, f.nameField0);
    placeView(c.nameField1, f.nameField1);
    if (c.isShown5hp) {
        place(c.buttonDec5Hp0, f.buttonDec5Hp0);
        place(c.buttonDec5Hp1, f.buttonDec5Hp1);
        place(c.buttonInc5Hp0, f.buttonInc5Hp0);
        place(c.buttonInc5Hp1, f.buttonInc5Hp1);
        place(c.buttonDec0, f.buttonDec0);
        place(c.buttonDec1, f.buttonDec1);
        place(c.buttonInc0, f.buttonInc0);
        place(c.buttonInc1, f.buttonInc1);
    } else {
        c.remove5hpBtn();
        (c.*doubleOnes)();
    }
    place(c.buttonDice, f.buttonDice);
    place(c.buttonSwap, f.buttonSwap);
    place(c.buttonFacebook, f.buttonFacebook);
    place(c.buttonLogView, f.buttonLogView);
    place(c.buttonReset, f.buttonReset);
    placeView(c.pelkLogo, f.pelkLogo);
    placeView(c.labelPoison0, f.labelPoison0);
    placeView(c.labelPoison1, f.labelPoison1);
    placeView(c.labelPoisonSwitch, f.labelPoisonSwitch);
    placeView(c.switchPoison, f.switchPoison);
}
}

bool TolvaneViewController::shouldAutorotateToInterfaceOrientation(int orientation)
{
    if (isLandscapeAtStart) {
        adBannerAtLandscapePos();
        return orientation == platform::OrientationLandscapeRight;
    }
    if (numPlayers >= 3)
        return false;
    if (platform::isLandscapeOrientation(orientation)) {
        platform::Console::log("landscape");
        adBannerAtLandscapePos();
        return true;
    }
    if (platform::isPortraitOrientation(orientation)) {
        placeView(bannerView_, kPortraitFrames.banner);
        return true;
    }
    return false;
}

void TolvaneViewController::willAnimateSecondHalfOfRotationFromInterfaceOrientation(int, double)
{
    platform::Animation::begin("move buttons");
    if (isPortrait())
        applyPortraitLayout();
    else
        applyLandscapeLayout();
    // Poison mode does not exist for more than two players; both tables would
    // bring its switch back on screen.
    if (numPlayers > 2) {
        placeView(labelPoisonSwitch, { 9999, labelPoisonSwitch->frame().y, labelPoisonSwitch->frame().width,
                                         labelPoisonSwitch->frame().height });
        placeView(switchPoison,
            { 9999, switchPoison->frame().y, switchPoison->frame().width, switchPoison->frame().height });
    }
    platform::Animation::commit();
}

bool TolvaneViewController::isPortrait() const
{
    return platform::isPortraitOrientation(interfaceOrientation());
}

void TolvaneViewController::adBannerAtLandscapePos()
{
    placeView(bannerView_, kLandscapeFrames.banner);
}

void TolvaneViewController::applyPortraitLayout()
{
    // Five controls go back to where the start-up found them.
    ScreenFrames frames = kPortraitFrames;
    frames.buttonReset = rectReset;
    frames.buttonLogView = rectHist;
    frames.buttonFacebook = rectFacebook;
    frames.labelPoisonSwitch = rectLblPoison;
    frames.switchPoison = rectSwiPoison;
    applyFrames(*this, frames, &TolvaneViewController::setDoubleSize1hpBtn);
}

void TolvaneViewController::applyLandscapeLayout()
{
    applyFrames(*this, kLandscapeFrames, &TolvaneViewController::setDoubleSize1hpBtnLandscape);
}

// The parked places are the same in both tables.
void TolvaneViewController::remove5hpBtn()
{
    const ScreenFrames& f = kPortraitFrames;
    place(buttonDec5Hp0, f.parkedDec5Hp0);
    place(buttonDec5Hp1, f.parkedDec5Hp1);
    place(buttonInc5Hp0, f.parkedInc5Hp0);
    place(buttonInc5Hp1, f.parkedInc5Hp1);
}

void TolvaneViewController::setDoubleSize1hpBtn() { placeDoubledOnes(*this, kPortraitFrames); }

void TolvaneViewController::setDoubleSize1hpBtnLandscape() { placeDoubledOnes(*this, kLandscapeFrames); }

void TolvaneViewController::SetButtonFontSize(float size, platform::Button& button)
{
    button.setFont(button.font().withSize(size));
}

void TolvaneViewController::buildLayoutForManyPlayers()
{
    const int n = numPlayers;
    ar_lblRandom.clear();
    for (int p = 2; p < n; ++p)
        ar_pickerData.push_back(std::make_shared<LifeColumn>(30, 1));

    place(buttonDec1, { 9999, 356, 66, 42 });
    place(buttonInc1, { 9999, 356, 66, 42 });
    place(buttonSwap, { 9999, 361, 46, 42 });
    place(buttonDice, { 9999, 395, 66, 61 });
    remove5hpBtn();
    // Poison mode is for two players; its switch and caption leave the screen.
    placeView(labelPoisonSwitch, { 9999, rectLblPoison.y, rectLblPoison.width, rectLblPoison.height });
    placeView(switchPoison, { 9999, rectSwiPoison.y, rectSwiPoison.width, rectSwiPoison.height });

    placeView(containerView, { 0, 138, 320, 216 });
    placeView(picker, { 0, 0, 320, 216 });
    place(buttonLogView, { 151, 402, 50, 50 });
    place(buttonDec0, { 2, 395, 66, 61 });
    place(buttonInc0, { 70, 395, 66, 61 });
    buttonDec0->setTitle("All -1");
    buttonInc0->setTitle("All +1");
    buttonDec0->setAccessibilityLabel("All players minus one");
    buttonInc0->setAccessibilityLabel("All players plus one");

    buttonDiceAll = std::make_unique<platform::Button>(platform::Rect { 203, 402, 50, 50 },
        platform::Button::Type::RoundedRect);
    buttonDiceAll->setObjectName("dice");
    buttonDiceAll->setTitle("Dice");
    buttonDiceAll->setAccessibilityLabel("Dice for every player");
    buttonDiceAll->onTouchUpInside = [this](platform::Button&) { doThrowDice(); };
    auto white = platform::Image::named("whiteButton.png");
    auto blue = platform::Image::named("blueButton.png");
    buttonDiceAll->setBackgroundImage(white ? white->stretchable(12, 0) : nullptr, platform::ControlStateNormal);
    buttonDiceAll->setBackgroundImage(blue ? blue->stretchable(12, 0) : nullptr, platform::ControlStateHighlighted);
    view().addSubview(*buttonDiceAll);

    const int w = 300 / n;
    const int x0 = (w - 50) / 2 - 9;
    constexpr float kQuarterTurn = 1.5708f;

    nameField0->setFrame({ float(x0), 75, 84, 40 });
    nameField1->setFrame({ float(w + x0), 75, 84, 40 });
    for (platform::TextField* field : { nameField0.get(), nameField1.get() }) {
        field->setTransformRotation(kQuarterTurn);
        field->setContentHorizontalAlignment(platform::TextAlignment::Left);
    }

    for (int p = 0; p < n; ++p) {
        auto label = std::make_unique<platform::Label>(platform::Rect { float(w * p + x0 + 20), 353, 40, 40 });
        label->setObjectName("labelRandom" + std::to_string(p));
        label->setTextAlignment(platform::TextAlignment::Center);
        label->setBackgroundColor(platform::Color::clear());
        view().addSubview(*label);
        ar_lblRandom.push_back(std::move(label));
    }

    static const char* const kDefaultNames[] = { "Orrin", "Ajani", "Liliana", "Chandra" };
    extraNameFields.clear();
    for (int p = 2; p < n; ++p) {
        const int i = p - 2;
        auto field = std::make_unique<platform::TextField>(platform::Rect { float(w * p + x0), 75, 84, 40 });
        field->setObjectName("nameField" + std::to_string(p));
        field->setBorderStyle(nameField0->borderStyle());
        field->setFont(nameField0->font());
        field->setClearButtonMode(nameField0->clearButtonMode());
        field->setKeyboardAppearance(nameField0->keyboardAppearance());
        field->setReturnKeyType(nameField0->returnKeyType());
        field->setAdjustsFontSizeToFitWidth(true);
        field->onDidEndOnExit = nameField0->onDidEndOnExit;
        field->onEditingDidEnd = nameField0->onEditingDidEnd;
        field->setText(i < 4 ? kDefaultNames[i] : "");
        field->setAccessibilityLabel("Player " + std::to_string(p + 1) + " name");
        field->setTransformRotation(kQuarterTurn);
        view().addSubview(*field);
        ar_nameField.push_back(field.get());
        extraNameFields.push_back(std::move(field));
    }
}
