#pragma once
// The bridge between ad script and native code for one web view: it turns
// "amsg" and "adnet" navigations into messages and handles or forwards them,
// decides what ordinary navigations do (load in place, open elsewhere,
// refuse), tells pages the device orientation and pings click URLs. It never
// lets a message URL load as a page.

#include "Opener/ADSOpener.h"
#include "platform/Lifetime.h"
#include "platform/Url.h"
#include "platform/Value.h"
#include "platform/ui/WebView.h"
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class ViewController;
}
class ADSClickTracker;
class ADSNotification;

// Posted on the platform notification centre, sender = the web view, for
// every navigation a page starts: "u" the URL and, for messages, "a" the name.
inline constexpr const char* ADSWebViewDelegateDidReceiveWebAction = "didReceiveWebAction";

class ADSWebViewDelegate : public platform::WebViewDelegate {
public:
    ADSWebViewDelegate();
    ~ADSWebViewDelegate() override;

    // The schemes whose navigations the bridge must see: its two message
    // schemes and those it opens elsewhere. The engine routes them only when
    // told before its first page; an application registers them at its start.
    static const std::vector<std::string>& schemes();
    ADSWebViewDelegate(const ADSWebViewDelegate&) = delete;
    ADSWebViewDelegate& operator=(const ADSWebViewDelegate&) = delete;

    bool shouldStartLoadWithRequest(platform::WebView& webView, const platform::UrlRequest& request,
        platform::NavigationType type) override;
    void webViewDidFinishLoad(platform::WebView& webView) override;

    // Makes the page's window.orientation read the interface orientation in
    // degrees and runs its orientation-change handler; 0 (unknown) does nothing.
    static void notifyWebViewOfOrientationChange(platform::WebView& webView, int orientation);
    static std::optional<std::string> orientationScript(int orientation);

    // Pings the URL; with signals, a click signal for its "ai" value is
    // appended as a bare query component first. Pings run side by side: a
    // new one never cuts short one still under way.
    void trackURLString(const std::string& urlString, bool appendSpamSignals);
    void processTouchSignals(const platform::Dictionary& parameters);
    void processCanOpenURLs(const std::vector<std::string>& urls, platform::WebView& webView);
    // Runs `js` in the opening web view and answers the calling page with
    // "evalJavaScriptInOpenerResult".
    void evaluateJavaScriptInOpener(const std::string& js, platform::WebView& webView);

    // Not owned: the controller content is opened for, and the web view that
    // opened this one.
    platform::ViewController* viewController() const { return viewController_; }
    void setViewController(platform::ViewController* controller) { viewController_ = controller; }
    platform::WebView* openingWebView() const { return openingWebView_.get(); }
    void setOpeningWebView(platform::WebView* webView) { openingWebView_ = platform::WeakWebView(webView); }

    ADSOpener& opener() { return *opener_; }
    // Pings started and not yet found finished.
    size_t trackerCount() const { return trackers_.size(); }

protected:
    // A message URL: handled here or forwarded; never loaded.
    void handleMessage(platform::WebView& webView, const platform::Url& url, const ADSNotification& message);

private:
    std::unique_ptr<ADSOpener> opener_;
    std::vector<std::unique_ptr<ADSClickTracker>> trackers_;
    platform::ViewController* viewController_ = nullptr;
    // Owned elsewhere (the banner's page, or the page below); it may go first.
    platform::WeakWebView openingWebView_;
    // Answers of script run elsewhere check it: they may come after this delegate is gone.
    platform::Lifetime lifetime_;
};
