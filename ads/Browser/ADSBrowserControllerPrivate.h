#pragma once
// The state behind one in-app browser: the page asked for before the web
// view exists, the web view with its delegate, and the toolbar with its
// items. Going away, it cuts the page off from its delegate and stops it
// before the web view goes.

#include "ViewController/ADSViewControllerPrivate.h"
#include "platform/Url.h"
#include <memory>
#include <optional>

namespace platform {
class ActivityIndicator;
class BarButtonItem;
class Toolbar;
class WebView;
}
class ADSBrowserWebViewDelegate;

struct ADSBrowserControllerPrivate : ADSViewControllerPrivate {
    ADSBrowserControllerPrivate();
    ~ADSBrowserControllerPrivate() override;

    std::optional<platform::Url> urlToLoad_;
    std::optional<platform::Url> referringURLToLoad_;
    std::unique_ptr<ADSBrowserWebViewDelegate> webViewDelegate_;
    std::unique_ptr<platform::WebView> webView_;
    std::unique_ptr<platform::Toolbar> toolbar_;
    // The spinner outlives the item that shows it.
    std::unique_ptr<platform::ActivityIndicator> spinner_;
    std::unique_ptr<platform::BarButtonItem> flexibleSpaceButton_;
    std::unique_ptr<platform::BarButtonItem> backButton_;
    std::unique_ptr<platform::BarButtonItem> forwardButton_;
    std::unique_ptr<platform::BarButtonItem> reloadButton_;
    std::unique_ptr<platform::BarButtonItem> safariButton_;
    std::unique_ptr<platform::BarButtonItem> doneButton_;
    std::unique_ptr<platform::BarButtonItem> spinnerContainingButton_;
};
