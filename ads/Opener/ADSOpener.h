#pragma once
// Decides how an ad's target opens: the in-app browser, a full-screen web
// app, the mail composer, or another application (after giving running
// tracking pings a moment to finish). Only the web, mail, the telephone and
// the bookstores may take the user out of the application. The full-screen
// controllers it opens keep themselves; it keeps only the composer it shows.

#include "platform/Url.h"
#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/WebView.h"
#include <memory>
#include <optional>
#include <string>

namespace platform {
class ViewController;
}
class ADSBrowserController;
class ADSDelegateManager;
class ADSNotification;
class ADSWebAppViewController;

class ADSOpener : private platform::MailComposeViewControllerDelegate {
public:
    ADSOpener() = default;
    ~ADSOpener() override;
    ADSOpener(const ADSOpener&) = delete;
    ADSOpener& operator=(const ADSOpener&) = delete;

    // The script message "open": action "a", URL "u", markup "html" and
    // orientation "o" ("p" portrait, "l" landscape, anything else any).
    void openNotification(const ADSNotification& message);
    std::shared_ptr<ADSBrowserController> openBrowserToURL(const platform::Url& url, int supportedOrientations);
    std::shared_ptr<ADSWebAppViewController> openWebApp(const platform::Url& url, int supportedOrientations);
    std::shared_ptr<ADSWebAppViewController> openWebAppWithHTML(const std::string& html, int supportedOrientations);
    std::shared_ptr<ADSWebAppViewController> webAppOrientations(int supportedOrientations);
    // Leaves the application for the URL. While tracking pings run without
    // background time it waits 0.3 seconds, at most three times in a row. A
    // scheme outside the allowed ones is refused with one console line.
    void openApp(const std::optional<platform::Url>& url);
    static bool mayLeaveFor(const platform::Url& url);
    // The composer for a mailto URL: the address before "?", then "cc",
    // "bcc" (comma-separated), "subject" and "body" from the query.
    void openEmailComposer(const platform::Url& url);
    platform::MailComposeViewController* composer() const { return composer_.get(); }

    // The controller to present from (not owned).
    platform::ViewController* viewController() const { return viewController_; }
    void setViewController(platform::ViewController* controller) { viewController_ = controller; }
    const std::shared_ptr<ADSDelegateManager>& delegateManager() const { return delegateManager_; }
    void setDelegateManager(std::shared_ptr<ADSDelegateManager> manager) { delegateManager_ = std::move(manager); }
    const std::optional<platform::Url>& referringURL() const { return referringURL_; }
    void setReferringURL(std::optional<platform::Url> url) { referringURL_ = std::move(url); }
    // The web view whose click opens the content (not owned; it may go first).
    platform::WebView* openingWebView() const { return openingWebView_.get(); }
    void setOpeningWebView(platform::WebView* webView) { openingWebView_ = platform::WeakWebView(webView); }

    static int orientationsFromString(const std::string& o);

private:
    void didFinishWithResult(platform::MailComposeViewController& composer, platform::MailComposeResult result,
        const std::optional<platform::Error>& error) override;

    std::shared_ptr<ADSDelegateManager> delegateManager_;
    platform::ViewController* viewController_ = nullptr;
    std::optional<platform::Url> referringURL_;
    platform::WeakWebView openingWebView_;
    std::unique_ptr<platform::MailComposeViewController> composer_;
};
