#pragma once
// A full-screen web view for ad landing pages that are web applications: a
// close button in its corner and a spinner until the first load ends. The
// page hears "onshow" once it is loaded and on screen and "onhide" whenever
// it leaves the screen. Presenting and dismissing are the base class's part.

#include "ViewController/ADSViewController.h"
#include "platform/Url.h"
#include <memory>
#include <optional>
#include <string>

namespace platform {
class Button;
class WebView;
}
struct ADSWebAppViewControllerPrivate;

class ADSWebAppViewController : public ADSViewController {
public:
    ADSWebAppViewController();
    ~ADSWebAppViewController() override;

    // Loads at once when the web view exists, else when the screen is built.
    void load(const platform::Url& url);
    void loadHTML(const std::string& html, const std::optional<platform::Url>& baseURL);

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void didRotateFromInterfaceOrientation(int from) override;

    platform::WebView* webView() const;
    void setWebView(std::unique_ptr<platform::WebView> webView);
    platform::Button* closeButton() const;
    ADSWebAppViewControllerPrivate& vars() const;

protected:
    static std::shared_ptr<ADSViewControllerPrivate> createPrivateData();
};
