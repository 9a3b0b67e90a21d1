#include "Browser/ADSBrowserControllerPrivate.h"

#include "Browser/ADSBrowserWebViewDelegate.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/WebView.h"

ADSBrowserControllerPrivate::ADSBrowserControllerPrivate() = default;

ADSBrowserControllerPrivate::~ADSBrowserControllerPrivate()
{
    // The page hears nothing more from us and stops; its media stops with the
    // engine's page, which goes with the web view.
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_->stopLoading();
    }
    webViewDelegate_.reset();
    webView_.reset();
    // The items leave the toolbar before it goes.
    spinnerContainingButton_.reset();
    flexibleSpaceButton_.reset();
    backButton_.reset();
    forwardButton_.reset();
    reloadButton_.reset();
    safariButton_.reset();
    doneButton_.reset();
}
