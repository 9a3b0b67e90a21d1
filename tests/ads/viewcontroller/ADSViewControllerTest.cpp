// The full-screen base controller: who hears what, in which order, when
// full-screen content comes and goes; the status bar given back only as it
// was found; the controller keeping itself exactly while on screen; and the
// rotations an ad allows.
#include "Delegate/ADSDelegateManager.h"
#include "View/ADSBannerViewDelegate.h"
#include "ViewController/ADSViewController.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Hearing : ADSBannerViewDelegate {
    std::vector<std::string>* log = nullptr;
    void adViewWillPresentScreen(ADSBannerView&) override { log->push_back("willPresentScreen"); }
    void adViewWillDismissScreen(ADSBannerView&) override { log->push_back("willDismissScreen"); }
    void adViewDidDismissScreen(ADSBannerView&) override { log->push_back("didDismissScreen"); }
    void adViewWillLeaveApplication(ADSBannerView&) override { log->push_back("willLeaveApplication"); }
};

ADSBannerView& someBanner()
{
    static int storage;
    return *reinterpret_cast<ADSBannerView*>(&storage);
}

struct AnyWay final : platform::ViewController {
    bool shouldAutorotateToInterfaceOrientation(int) override { return true; }
};

struct Turning final : ADSViewController {
    std::vector<int> turnedFrom;
    void didRotateFromInterfaceOrientation(int from) override
    {
        ADSViewController::didRotateFromInterfaceOrientation(from);
        turnedFrom.push_back(from);
    }
};

class ADSViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setRootViewController(&root);
        window.makeKeyAndVisible();
        hearing.log = &log;
        manager->setBannerDelegate(&hearing);
        manager->setAdView(&someBanner());
        for (const char* name : { ADSViewControllerWillPresentFullScreen, ADSViewControllerDidRelinquishFullScreen })
            platform::NotificationCenter::defaultCenter().addObserver(this, name, nullptr,
                [this](const platform::Notification& n) { log.push_back(n.name); });
        app.setStatusBarHidden(false);
        platform::Console::setKeepingLines(true);
        platform::Console::takeLines();
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        app.setStatusBarHidden(false);
        app.setDeviceOrientation(1);
        platform::Console::setKeepingLines(false);
    }
    std::shared_ptr<ADSViewController> make()
    {
        auto c = std::make_shared<ADSViewController>();
        c->setDelegateManager(manager);
        return c;
    }

    platform::Application& app = platform::Application::shared();
    platform::Window window;
    AnyWay root;
    Hearing hearing;
    std::shared_ptr<ADSDelegateManager> manager = ADSDelegateManager::create();
    std::vector<std::string> log;
};

TEST_F(ADSViewControllerTest, ContentComesAndGoesInOrderAndTheControllerKeepsItselfMeanwhile)
{
    std::weak_ptr<ADSViewController> first;
    {
        auto c = make();
        first = c;
        c->presentFromViewController(&root);
    }
    ASSERT_FALSE(first.expired()) << "on screen, it holds itself";
    ADSViewController& shown = *first.lock();
    EXPECT_EQ(log, (std::vector<std::string> { ADSViewControllerWillPresentFullScreen, "willPresentScreen" }));
    EXPECT_TRUE(app.isStatusBarHidden());
    EXPECT_EQ(root.modalViewController(), &shown);
    EXPECT_EQ(shown.view().frame(), (platform::Rect { 0, 0, 320, 480 }));
    EXPECT_TRUE(shown.view().isUserInteractionEnabled()) << "touches come back once it has appeared";

    // Content opened from full-screen content stacks on it and tells only the banner.
    log.clear();
    std::weak_ptr<ADSViewController> second;
    {
        auto stacked = make();
        second = stacked;
        stacked->presentFromViewController(&shown);
    }
    ASSERT_FALSE(second.expired());
    EXPECT_EQ(shown.modalViewController(), second.lock().get());
    EXPECT_FALSE(second.lock()->isFirstADSViewController());
    second.lock()->relinquishScreen();
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(second.expired());
    EXPECT_EQ(log, (std::vector<std::string> { ADSViewControllerWillPresentFullScreen, ADSViewControllerDidRelinquishFullScreen }));
    EXPECT_TRUE(app.isStatusBarHidden()) << "the first one still covers it";

    log.clear();
    shown.relinquishScreen();
    shown.relinquishScreen(); // a second "close" finds nothing to give back
    EXPECT_EQ(log, (std::vector<std::string> { "willDismissScreen", ADSViewControllerDidRelinquishFullScreen }));
    EXPECT_FALSE(app.isStatusBarHidden());
    EXPECT_EQ(root.modalViewController(), nullptr);
    ASSERT_FALSE(first.expired()) << "let go only at the end of the turn";
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(log.back(), "didDismissScreen") << "heard when the controller is gone";
    EXPECT_EQ(log.size(), 3u);

    // Closing the lower of two stacked controllers takes the upper one with
    // it: left behind, it would keep itself, and its page, for good.
    log.clear();
    std::weak_ptr<ADSViewController> lower, upper;
    {
        auto a = make();
        lower = a;
        a->presentFromViewController(&root);
        auto b = make();
        upper = b;
        b->presentFromViewController(a.get());
    }
    lower.lock()->relinquishScreen();
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(upper.expired());
    EXPECT_TRUE(lower.expired());
    EXPECT_EQ(root.modalViewController(), nullptr);
    EXPECT_FALSE(app.isStatusBarHidden());
    EXPECT_EQ(std::count(log.begin(), log.end(), "willDismissScreen"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "didDismissScreen"), 1);

    // A second ad presented from the application while the first is up goes
    // on top of it; the application hears each one come and go, in pairs.
    log.clear();
    {
        auto a = make();
        lower = a;
        a->presentFromViewController(&root);
        auto b = make();
        upper = b;
        b->presentFromViewController(&root);
    }
    upper.lock()->relinquishScreen();
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(app.isStatusBarHidden()) << "the first one still covers it";
    lower.lock()->relinquishScreen();
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(upper.expired());
    EXPECT_TRUE(lower.expired());
    EXPECT_FALSE(app.isStatusBarHidden());
    for (const char* heard : { "willPresentScreen", "willDismissScreen", "didDismissScreen" })
        EXPECT_EQ(std::count(log.begin(), log.end(), heard), 2) << heard;
}

TEST_F(ADSViewControllerTest, TheStatusBarIsGivenBackAsItWasFoundAndNothingComesWithoutAController)
{
    app.setStatusBarHidden(true);
    auto c = make();
    c->presentFromViewController(&root);
    EXPECT_TRUE(c->statusBarWasHidden());
    c->relinquishScreen();
    EXPECT_TRUE(app.isStatusBarHidden()) << "hidden before, hidden after";

    app.setStatusBarHidden(false);
    log.clear();
    auto lost = make();
    lost->presentFromViewController(nullptr);
    EXPECT_EQ(platform::Console::takeLines(),
        (std::vector<std::string> { "<Ads> No UIViewController supplied to the ad.  Cannot continue." }));
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(app.isStatusBarHidden());

    // An owner that lets go while its controller is up still gets the screen back.
    {
        ADSViewController owned;
        owned.setDelegateManager(manager);
        owned.presentFromViewController(&root);
        EXPECT_TRUE(app.isStatusBarHidden());
    }
    EXPECT_FALSE(app.isStatusBarHidden());
    EXPECT_EQ(root.modalViewController(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string> { ADSViewControllerWillPresentFullScreen, "willPresentScreen",
                       ADSViewControllerDidRelinquishFullScreen, "didDismissScreen" }));
    platform::RunLoop::main().runPending();
}

TEST_F(ADSViewControllerTest, OnlyTheOrientationsTheAdAllowsReachThePresentedController)
{
    EXPECT_EQ(ADSViewController::orientationFromString("any"), 1);
    EXPECT_EQ(ADSViewController::orientationFromString("portrait"), 2);
    EXPECT_EQ(ADSViewController::orientationFromString("landscape"), 3);
    for (std::optional<std::string> other : { std::optional<std::string>("Portrait"), std::optional<std::string>(""),
             std::optional<std::string>("landscape "), std::optional<std::string>() })
        EXPECT_EQ(ADSViewController::orientationFromString(other), 0) << other.value_or("(none)");

    auto c = std::make_shared<Turning>();
    c->setSupportedOrientations(2);
    c->presentFromViewController(&root);
    EXPECT_FALSE(app.setDeviceOrientation(3));
    EXPECT_FALSE(app.setDeviceOrientation(4));
    EXPECT_TRUE(app.setDeviceOrientation(2));
    EXPECT_EQ(c->turnedFrom, (std::vector<int> { 1 }));
    EXPECT_EQ(root.interfaceOrientation(), 2) << "the game below turns with it";

    // The page's "settings" message changes what the ad allows.
    c->settingsChanged(platform::Dictionary { { kADSSupportedOrientationsKey, "landscape" } });
    EXPECT_FALSE(app.setDeviceOrientation(1));
    EXPECT_TRUE(app.setDeviceOrientation(4));
    EXPECT_EQ(c->view().frame(), (platform::Rect { 0, 0, 480, 320 }));
    c->settingsChanged(platform::Dictionary { { kADSSupportedOrientationsKey, "Portrait" } });
    EXPECT_EQ(c->supportedOrientations(), 0);
    EXPECT_TRUE(app.setDeviceOrientation(1)) << "an unknown name allows every orientation";
    EXPECT_EQ(c->turnedFrom, (std::vector<int> { 1, 2, 4 }));
    c->relinquishScreen();
    platform::RunLoop::main().runPending();
}

}
