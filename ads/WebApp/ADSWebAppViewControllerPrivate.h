#pragma once
// The state behind one web-app controller: the page waiting for its web view,
// the web view with its delegate, the close button and the spinner shown
// until the first load ends. Going away, it stops the page and cuts it off,
// letting it run only what it was sent on leaving the screen.

#include "ViewController/ADSViewControllerPrivate.h"
#include "platform/Url.h"
#include <memory>
#include <optional>
#include <string>

namespace platform {
class ActivityIndicator;
class Button;
class WebView;
}
class ADSWebAppWebViewDelegate;

struct ADSWebAppViewControllerPrivate : ADSViewControllerPrivate {
    ADSWebAppViewControllerPrivate();
    ~ADSWebAppViewControllerPrivate() override;

    std::optional<platform::Url> urlToLoad_;
    std::optional<std::string> htmlToLoad_;
    std::optional<platform::Url> htmlBaseURLToLoad_;
    std::unique_ptr<ADSWebAppWebViewDelegate> webViewDelegate_;
    std::unique_ptr<platform::WebView> webView_;
    std::unique_ptr<platform::Button> closeButton_;
    bool loaded_ = false;
    std::unique_ptr<platform::ActivityIndicator> loadingSpinner_;
};
