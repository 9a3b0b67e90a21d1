#pragma once
// The in-app browser: an ad's landing page full screen inside the application,
// with a toolbar for back, forward, reload (a spinner while loading), opening
// the page in the desktop's browser, and done. Presenting, rotation and
// dismissal are the base class's part.

#include "ViewController/ADSViewController.h"
#include "platform/Url.h"
#include <memory>
#include <optional>
#include <string>

namespace platform {
class BarButtonItem;
class Image;
class Toolbar;
class WebView;
}
struct ADSBrowserControllerPrivate;

class ADSBrowserController : public ADSViewController {
public:
    ADSBrowserController();
    ~ADSBrowserController() override;

    // Before the screen is built the page waits for it; a missing URL is ignored.
    void load(const std::optional<platform::Url>& url, const std::optional<platform::Url>& referringURL);
    void load(const std::optional<platform::Url>& url) { load(url, std::nullopt); }
    void back();
    void forward();
    void reload();
    void stop();
    // Leaves the application for the desktop's browser with the current page.
    void openInSafari();
    // Puts the toolbar in step with the page (after every load start, end and failure).
    void refreshToolbar();

    void viewWillAppear(bool animated) override;
    void didRotateFromInterfaceOrientation(int from) override;

    void createToolbarButtons();
    std::unique_ptr<platform::BarButtonItem> buttonWithImage(std::shared_ptr<const platform::Image> image,
        const std::string& name, int width, bool enabled, void (ADSBrowserController::*action)());

    platform::WebView* webView() const;
    void setWebView(std::unique_ptr<platform::WebView> webView);
    platform::Toolbar* toolbar() const;
    void setToolbar(std::unique_ptr<platform::Toolbar> toolbar);
    ADSBrowserControllerPrivate& vars() const;

    // Toolbar height on a phone in landscape, and otherwise.
    static constexpr float kCompactToolbarHeight = 30;
    static constexpr float kToolbarHeight = 44;

protected:
    static std::shared_ptr<ADSViewControllerPrivate> createPrivateData();
};
