#pragma once
// Decides how an ad's target opens: the in-app browser, a full-screen web
// app, the mail composer, or another application (after giving running
// tracking pings a moment to finish). It shows nothing on its own; the
// full-screen controllers do.

#include "platform/Url.h"
#include <memory>
#include <optional>
#include <string>

namespace platform {
class ViewController;
class WebView;
}
class ADSDelegateManager;
class ADSNotification;

class ADSOpener {
public:
    ADSOpener() = default;
    ~ADSOpener();
    ADSOpener(const ADSOpener&) = delete;
    ADSOpener& operator=(const ADSOpener&) = delete;

    // The script message "open": action "a", URL "u", markup "html" and
    // orientation "o" ("p" portrait, "l" landscape, anything else any).
    void openNotification(const ADSNotification& message);
    void openBrowserToURL(const platform::Url& url, int supportedOrientations);
    void openWebApp(const platform::Url& url, int supportedOrientations);
    void openWebAppWithHTML(const std::string& html, int supportedOrientations);
    // Leaves the application for the URL. While tracking pings run without
    // background time it waits 0.3 seconds, at most three times in a row.
    void openApp(const std::optional<platform::Url>& url);
    void openEmailComposer(const platform::Url& url);

    // The controller to present from (not owned).
    platform::ViewController* viewController() const { return viewController_; }
    void setViewController(platform::ViewController* controller) { viewController_ = controller; }
    const std::shared_ptr<ADSDelegateManager>& delegateManager() const { return delegateManager_; }
    void setDelegateManager(std::shared_ptr<ADSDelegateManager> manager) { delegateManager_ = std::move(manager); }
    const std::optional<platform::Url>& referringURL() const { return referringURL_; }
    void setReferringURL(std::optional<platform::Url> url) { referringURL_ = std::move(url); }
    // The web view whose click opens the content (not owned).
    platform::WebView* openingWebView() const { return openingWebView_; }
    void setOpeningWebView(platform::WebView* webView) { openingWebView_ = webView; }

    static int orientationsFromString(const std::string& o);

private:
    std::shared_ptr<ADSDelegateManager> delegateManager_;
    platform::ViewController* viewController_ = nullptr;
    std::optional<platform::Url> referringURL_;
    platform::WebView* openingWebView_ = nullptr;
};
