#include "WebApp/ADSWebAppViewControllerPrivate.h"

#include "WebApp/ADSWebAppWebViewDelegate.h"
#include "platform/RunLoop.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WebView.h"

namespace {

// The longest a page off the screen is kept to run what it was sent last.
constexpr double kRetirementSeconds = 1.0;

// The page was told "onhide" as it left the screen, and script runs later:
// its web view, cut off from us, loading nothing and shown nowhere, is kept
// until a script sent after that message has answered (so the page has run
// it), a second at most.
void retire(std::unique_ptr<platform::WebView> webView)
{
    webView->setDelegate(nullptr);
    webView->stopLoading();
    webView->removeFromSuperview();
    auto held = std::make_shared<std::unique_ptr<platform::WebView>>(std::move(webView));
    auto letGo = [held] { platform::RunLoop::main().post([held] { held->reset(); }); };
    (*held)->stringByEvaluatingJavaScriptFromString("0", [letGo](const std::string&) { letGo(); });
    platform::RunLoop::main().performAfter(kRetirementSeconds, nullptr, letGo);
}

}

ADSWebAppViewControllerPrivate::ADSWebAppViewControllerPrivate() = default;

ADSWebAppViewControllerPrivate::~ADSWebAppViewControllerPrivate()
{
    if (webView_)
        retire(std::move(webView_));
    webViewDelegate_.reset();
}
