#include "TolvaneViewController.h"

#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Image.h"

#include <cstdlib>

void TolvaneViewController::viewDidLoad()
{
    // 1.
    platform::ViewController::viewDidLoad();

    // 2. Seeded with whole seconds: two starts in the same second throw alike.
    const auto seed = static_cast<unsigned>(static_cast<long long>(platform::Clock::shared().now()));
    srandom(seed);
    srand(seed);

    // 3. A game restored below has no timer until the next reset, even when
    // this is a second load of the view.
    gameRound = 0;
    if (gameTimer) {
        gameTimer->invalidate();
        gameTimer.reset();
    }

    // 4.
    rectReset = buttonReset->frame();
    rectHist = buttonLogView->frame();
    rectFacebook = buttonFacebook->frame();
    rectLblPoison = labelPoisonSwitch->frame();
    rectSwiPoison = switchPoison->frame();

    // 5.
    fontNameField = nameField0->font();

    // 6.
    arPoison = { 0, 0 };
    isPoison = false;
    std::vector<std::string> poisonColumn;
    for (int v = 10; v >= -1; --v)
        poisonColumn.push_back(std::to_string(v));
    ar_poisonData = { poisonColumn, poisonColumn };

    // 7.
    readSettings();

    // 8.
    platform::Console::log("viewDidLoad start!");
    logTextMutableString.clear();
    arName.clear();
    arTime.clear();
    arTimeString.clear();
    arHp.clear();

    // 9.
    createBannerView();

    // 10.
    containerView = std::make_unique<platform::View>(platform::Rect { 0, 80, 320, 216 });
    containerView->setObjectName("containerView");

    // 11.
    pickerData0 = std::make_shared<LifeColumn>(30, -5);
    pickerData1 = std::make_shared<LifeColumn>(30, -5);
    ar_pickerData = { pickerData0, pickerData1 };
    ar_nameField = { nameField0.get(), nameField1.get() };

    // 12.
    if (numPlayers > 2)
        buildLayoutForManyPlayers();
    picker->reloadAllComponents();

    // 13.
    auto white = platform::Image::named("whiteButton.png");
    auto blue = platform::Image::named("blueButton.png");
    auto whiteStretched = white ? white->stretchable(12, 0) : nullptr;
    auto blueStretched = blue ? blue->stretchable(12, 0) : nullptr;
    for (platform::Button* button : { buttonInc0.get(), buttonInc1.get(), buttonDec0.get(), buttonDec1.get(),
             buttonInc5Hp0.get(), buttonInc5Hp1.get(), buttonDec5Hp0.get(), buttonDec5Hp1.get(), buttonReset.get(),
             buttonSwap.get(), buttonLogView.get(), buttonDice.get() }) {
        button->setBackgroundImage(whiteStretched, platform::ControlStateNormal);
        button->setBackgroundImage(blueStretched, platform::ControlStateHighlighted);
    }
    buttonFacebook->setBackgroundImage(platform::Image::named("Facebook_icon01.png"), platform::ControlStateNormal);
    buttonFacebook->setBackgroundImage(blueStretched, platform::ControlStateHighlighted);

    // 14.
    if (!isShown5hp) {
        remove5hpBtn();
        setDoubleSize1hpBtn();
    }

    // 15.
    loadPref();

    // 16.
    if (!observingTermination_) {
        // Any sender: the application object is the only poster of this name.
        platform::NotificationCenter::defaultCenter().addObserver(this,
            platform::kApplicationWillTerminateNotification, nullptr,
            [this](const platform::Notification& n) { applicationWillTerminate(n); });
        observingTermination_ = true;
    }

    // 17.
    picker->setFrame({ 0, 0, 320, 216 });
    logView->setFrame({ 9999, 9999, 320, 216 });
    containerView->addSubview(*picker);
    view().addSubview(*containerView);
    frontViewVisible = true;

    // 18.
    if (isLandscapeAtStart)
        platform::Application::shared().setStatusBarOrientation(platform::OrientationLandscapeRight);

    // The game as restored or started is where undo begins.
    gameDidChange(GameChange::Start);
}
