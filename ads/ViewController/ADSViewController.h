#pragma once
// The base of the ad library's full-screen controllers: it presents itself
// over the application, hides and restores the status bar, keeps itself
// alive while on screen, tells the banner (notifications) and the application
// (delegate callbacks) that full-screen content comes and goes, and turns only
// to the orientations the ad allows. What it shows is its subclasses' part.

#include "platform/Value.h"
#include "platform/ui/ViewController.h"
#include <memory>
#include <optional>
#include <string>

namespace platform {
class WebView;
}
class ADSDelegateManager;
struct ADSViewControllerPrivate;

// Posted on the platform notification centre with the controller as sender.
inline constexpr const char* ADSViewControllerWillPresentFullScreen = "ADSViewControllerWillPresentFullScreen";
inline constexpr const char* ADSViewControllerDidRelinquishFullScreen = "ADSViewControllerDidRelinquishFullScreen";

// The "settings" message's parameter that names the supported orientations.
inline constexpr const char* kADSSupportedOrientationsKey = "supportedorientations";

class ADSViewController : public platform::ViewController, public std::enable_shared_from_this<ADSViewController> {
public:
    ADSViewController();
    ~ADSViewController() override;

    // "any" 1, "portrait" 2, "landscape" 3; anything else (or nothing) 0,
    // which allows every orientation.
    static int orientationFromString(const std::optional<std::string>& text);

    // Shows this controller over the application, or over the full-screen
    // controller given. A controller held by a std::shared_ptr keeps itself
    // alive from here until it gives the screen back.
    void presentFromViewController(platform::ViewController* controller);
    // Gives the screen back: the close button's action and the target of the
    // script message "close". Nothing when the controller is not on screen.
    virtual void relinquishScreen();
    bool isOnScreen() const { return onScreen_; }

    bool shouldAutorotateToInterfaceOrientation(int orientation) override;
    // The "settings" message: its "supportedorientations" becomes ours.
    void settingsChanged(const platform::Dictionary& parameters);
    // Sits directly on the application's controllers, not on another of ours.
    bool isFirstADSViewController() const;

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

    int32_t supportedOrientations() const;
    void setSupportedOrientations(int32_t orientations);
    platform::WebView* openingWebView() const;
    void setOpeningWebView(platform::WebView* webView); // not owned
    // Made empty on first read when none was given.
    const std::shared_ptr<ADSDelegateManager>& delegateManager() const;
    void setDelegateManager(std::shared_ptr<ADSDelegateManager> manager);
    bool statusBarWasHidden() const;
    void setStatusBarWasHidden(bool hidden);
    bool appClosing() const;
    void setAppClosing(bool closing);

    ADSViewControllerPrivate& vars() const;

protected:
    // Subclasses hand in their own private object, a subclass of ours.
    explicit ADSViewController(std::shared_ptr<ADSViewControllerPrivate> vars);
    static std::shared_ptr<ADSViewControllerPrivate> createPrivateData();

private:
    void presentSelfFrom(platform::ViewController& controller);
    void hideStatusBar();
    void restoreStatusBar();

    // Held from presentation to relinquishing: the screen keeps its content.
    std::shared_ptr<ADSViewController> selfReference_;
    ADSViewControllerPrivate* vars_; // the private object the map owns
    bool onScreen_ = false;
    bool presented_ = false;
    // Whether it was first-level when presented; it has no parent to ask
    // once dismissed.
    bool firstLevel_ = true;
};
