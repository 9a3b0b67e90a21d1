#pragma once
// A web page in a view, over the toolkit's web engine: loads HTML with a base
// URL or a request, runs script (the answer comes later, on the main thread),
// and asks its delegate before every navigation, registered schemes included.
// It does not decide what a navigation means; its delegate does.

#include "platform/Error.h"
#include "platform/Lifetime.h"
#include "platform/net/UrlConnection.h"
#include "platform/ui/View.h"
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The navigation kinds a delegate is told, with their fixed numbers.
enum class NavigationType : int {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5,
};

// Data detection of the handheld web view (telephone numbers, links, ...).
// The desktop engine detects nothing; the flags are kept for the callers.
enum DataDetectorTypes : unsigned {
    DataDetectorTypeNone = 0,
    DataDetectorTypePhoneNumber = 1 << 0,
    DataDetectorTypeLink = 1 << 1,
    DataDetectorTypeAll = ~0u,
};

class WebView;

// Every method is optional; all are called on the main thread. The delegate
// may destroy the web view inside any of them.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    // Asked before anything loads, for every navigation: links, forms, script
    // (also while the page is still loading) and our own loads. The request
    // carries the engine's "User-Agent" header. An HTML load reports its base
    // URL with type Other. Refusing never turns the current load into a failure;
    // but the engine stops parsing a page whose script navigates its main
    // frame, so such a page ends, reported finished, where its script was
    // (a hidden frame's navigation leaves the page alone). Script navigations
    // are type Other; only one following the user's click is LinkClicked.
    // Frames' navigations are asked about too, as are new windows, which a
    // web view shows in place.
    virtual bool shouldStartLoadWithRequest(WebView&, const UrlRequest& /*request*/, NavigationType)
    {
        return true;
    }
    virtual void webViewDidStartLoad(WebView&) { }
    virtual void webViewDidFinishLoad(WebView&) { }
    virtual void didFailLoadWithError(WebView&, const Error&) { }
};

class WebView : public View {
public:
    // Schemes the engine would not route to the delegate on its own (message
    // schemes, store schemes; "mailto" and "tel" are always routed). Call
    // before the first web view loads: the engine reads them once, when it
    // starts. Navigations to them then reach shouldStartLoadWithRequest, and
    // nothing is ever loaded from them.
    static void registerSchemes(const std::vector<std::string>& schemes);

    WebView();
    explicit WebView(Rect frame);
    ~WebView() override;

    void setDelegate(WebViewDelegate* delegate); // non-owning
    WebViewDelegate* delegate() const;

    // The engine starts at the first load, not when the view is made. Web
    // views share one cookie jar and cache, in memory only.
    void loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL);
    // A "Referer" goes out as the engine's referrer policy allows: cut to its
    // origin for another origin, dropped from https to http.
    void loadRequest(const UrlRequest& request);
    // Runs script in the page. `done` gets the result as text ("" when the
    // script gives nothing or fails) on a later turn of the main loop; it is
    // dropped when the view goes first.
    void stringByEvaluatingJavaScriptFromString(const std::string& script,
        std::function<void(const std::string&)> done = {});

    void goBack();
    void goForward();
    void reload();
    void stopLoading();
    bool canGoBack() const;
    bool canGoForward() const;
    bool isLoading() const;
    // The request of the page shown or loading; nothing before the first load.
    std::optional<UrlRequest> request() const;

    void setScalesPageToFit(bool);
    bool scalesPageToFit() const;
    void setAllowsInlineMediaPlayback(bool);
    bool allowsInlineMediaPlayback() const;
    void setMediaPlaybackRequiresUserAction(bool);
    bool mediaPlaybackRequiresUserAction() const;
    void setDataDetectorTypes(unsigned types);
    unsigned dataDetectorTypes() const;

    // A real press and release of the mouse at the centre of the page's first
    // link, as the user's click would be. `done` hears whether there was one.
    void simulateClickOnFirstLink(std::function<void(bool)> done);

    // Ends when the web view starts going away.
    Lifetime::Watch lifetimeWatch() const;
};

// A web view that someone else owns, held by an object that may outlive it:
// it reads null once the web view is gone.
class WeakWebView {
public:
    WeakWebView() = default;
    WeakWebView(WebView* view) : view_(view), watch_(view ? view->lifetimeWatch() : Lifetime::Watch()) { }
    WebView* get() const { return watch_.alive() ? view_ : nullptr; }

private:
    WebView* view_ = nullptr; // non-owning
    Lifetime::Watch watch_;
};

}
