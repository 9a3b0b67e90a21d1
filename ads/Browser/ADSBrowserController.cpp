#include "Browser/ADSBrowserController.h"

#include "Browser/ADSBrowserControllerPrivate.h"
#include "Browser/ADSBrowserWebViewDelegate.h"
#include "Opener/ADSOpener.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSIntrinsicImages.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Image.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/WebView.h"

namespace {
constexpr float kSpinnerSide = 20;
}

std::shared_ptr<ADSViewControllerPrivate> ADSBrowserController::createPrivateData()
{
    return std::make_shared<ADSBrowserControllerPrivate>();
}

ADSBrowserController::ADSBrowserController() : ADSViewController(createPrivateData()) { }

ADSBrowserController::~ADSBrowserController() = default;

ADSBrowserControllerPrivate& ADSBrowserController::vars() const
{
    return static_cast<ADSBrowserControllerPrivate&>(ADSViewController::vars());
}

platform::WebView* ADSBrowserController::webView() const { return vars().webView_.get(); }
void ADSBrowserController::setWebView(std::unique_ptr<platform::WebView> webView) { vars().webView_ = std::move(webView); }
platform::Toolbar* ADSBrowserController::toolbar() const { return vars().toolbar_.get(); }
void ADSBrowserController::setToolbar(std::unique_ptr<platform::Toolbar> toolbar) { vars().toolbar_ = std::move(toolbar); }

void ADSBrowserController::load(const std::optional<platform::Url>& url, const std::optional<platform::Url>& referringURL)
{
    if (!url)
        return;
    platform::WebView* web = webView();
    if (!web) {
        vars().urlToLoad_ = url;
        vars().referringURLToLoad_ = referringURL;
        return;
    }
    platform::UrlRequest request;
    request.url = url->absoluteString();
    if (referringURL)
        request.setHeader("Referer", referringURL->absoluteString());
    web->loadRequest(request);
}

void ADSBrowserController::back()
{
    if (platform::WebView* web = webView(); web && web->canGoBack())
        web->goBack();
}

void ADSBrowserController::forward()
{
    if (platform::WebView* web = webView(); web && web->canGoForward())
        web->goForward();
}

void ADSBrowserController::reload()
{
    if (platform::WebView* web = webView())
        web->reload();
}

void ADSBrowserController::stop()
{
    if (platform::WebView* web = webView())
        web->stopLoading();
}

void ADSBrowserController::openInSafari()
{
    platform::WebView* web = webView();
    std::optional<platform::UrlRequest> request = web ? web->request() : std::nullopt;
    ADSOpener opener;
    opener.setDelegateManager(delegateManager());
    opener.openApp(request ? platform::Url::fromString(request->url) : std::nullopt);
    ADSStatistics::sharedStatistics().setBreakOutToSafari();
}

void ADSBrowserController::viewWillAppear(bool animated)
{
    ADSViewController::viewWillAppear(animated);
    auto& v = vars();
    if (v.webView_)
        return;

    float toolbarHeight = kToolbarHeight;
    unsigned webViewMask = platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleHeight
        | platform::AutoresizingFlexibleBottomMargin;
    unsigned toolbarMask = platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleTopMargin
        | platform::AutoresizingFlexibleHeight | platform::AutoresizingFlexibleBottomMargin;
    ADSIdentifierUtilities& device = ADSIdentifierUtilities::sharedInstance();
    if (!device.isPhoneIdiom()) {
        webViewMask = platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleHeight;
        toolbarMask = platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleTopMargin
            | platform::AutoresizingFlexibleBottomMargin;
    } else if (device.isOrientationLandscape()) {
        toolbarHeight = kCompactToolbarHeight;
    }

    platform::View& root = view();
    const platform::Rect bounds = root.bounds();
    v.webView_ = std::make_unique<platform::WebView>(platform::Rect { 0, 0, bounds.width, bounds.height - toolbarHeight });
    platform::WebView& web = *v.webView_;
    web.setObjectName("browserWebView");
    web.setAutoresizingMask(webViewMask);
    web.setScalesPageToFit(true);
    root.addSubview(web);
    web.setAllowsInlineMediaPlayback(true);
    web.setMediaPlaybackRequiresUserAction(false);
    web.setDataDetectorTypes(platform::DataDetectorTypeAll);

    v.webViewDelegate_ = std::make_unique<ADSBrowserWebViewDelegate>(*this);
    v.webViewDelegate_->setViewController(this);
    v.webViewDelegate_->setOpeningWebView(openingWebView());
    v.webViewDelegate_->opener().setDelegateManager(delegateManager());
    web.setDelegate(v.webViewDelegate_.get());

    if (v.urlToLoad_) {
        std::optional<platform::Url> url = std::move(v.urlToLoad_), referrer = std::move(v.referringURLToLoad_);
        v.urlToLoad_.reset();
        v.referringURLToLoad_.reset();
        load(url, referrer);
    }

    v.toolbar_ = std::make_unique<platform::Toolbar>(platform::Rect { 0, bounds.height - toolbarHeight, bounds.width, toolbarHeight });
    v.toolbar_->setObjectName("browserToolbar");
    v.toolbar_->setAutoresizingMask(toolbarMask);
    v.toolbar_->setTintColor(platform::Color::black());
    root.addSubview(*v.toolbar_);

    createToolbarButtons();
    refreshToolbar();
}

std::unique_ptr<platform::BarButtonItem> ADSBrowserController::buttonWithImage(std::shared_ptr<const platform::Image> image,
    const std::string& name, int width, bool enabled, void (ADSBrowserController::*action)())
{
    auto item = platform::BarButtonItem::imageItem(std::move(image), platform::BarButtonItem::Style::Plain);
    item->onAction = [this, action](platform::BarButtonItem&) { (this->*action)(); };
    item->setWidth(float(width));
    item->setEnabled(enabled);
    item->setIsAccessibilityElement(true);
    item->setAccessibilityLabel(name);
    return item;
}

void ADSBrowserController::createToolbarButtons()
{
    using platform::BarButtonItem;
    auto& v = vars();
    v.flexibleSpaceButton_ = BarButtonItem::systemItem(BarButtonItem::SystemItem::FlexibleSpace);

    v.backButton_ = buttonWithImage(ADSIntrinsicImages::browserBackButton(), "Back", 27, false, &ADSBrowserController::back);
    v.forwardButton_ = buttonWithImage(ADSIntrinsicImages::browserForwardButton(), "Forward", 27, false, &ADSBrowserController::forward);

    v.spinner_ = std::make_unique<platform::ActivityIndicator>(platform::ActivityIndicator::Style::White);
    v.spinner_->setFrame({ 0, 0, kSpinnerSide, kSpinnerSide });
    v.spinner_->setAutoresizingMask(platform::AutoresizingFlexibleLeftMargin | platform::AutoresizingFlexibleRightMargin);
    v.spinnerContainingButton_ = BarButtonItem::customViewItem(*v.spinner_);
    v.spinnerContainingButton_->setWidth(kSpinnerSide);
    v.spinnerContainingButton_->setEnabled(true);
    v.spinnerContainingButton_->setAccessibilityLabel("Spinner");

    v.reloadButton_ = BarButtonItem::systemItem(BarButtonItem::SystemItem::Refresh);
    v.reloadButton_->setWidth(27);
    v.reloadButton_->setEnabled(true);
    v.reloadButton_->setAccessibilityLabel("Reload");
    v.reloadButton_->onAction = [this](BarButtonItem&) { reload(); };

    v.safariButton_ = BarButtonItem::systemItem(BarButtonItem::SystemItem::Action);
    v.safariButton_->setWidth(27);
    v.safariButton_->setEnabled(false);
    v.safariButton_->setAccessibilityLabel("View in Safari");
    v.safariButton_->onAction = [this](BarButtonItem&) { openInSafari(); };

    v.doneButton_ = BarButtonItem::systemItem(BarButtonItem::SystemItem::Done);
    v.doneButton_->setStyle(BarButtonItem::Style::Done);
    v.doneButton_->setEnabled(true);
    v.doneButton_->setAccessibilityLabel("Done");
    v.doneButton_->onAction = [this](BarButtonItem&) { relinquishScreen(); };
}

void ADSBrowserController::refreshToolbar()
{
    auto& v = vars();
    platform::WebView* web = webView();
    if (!web || !v.toolbar_ || !v.backButton_)
        return;
    v.backButton_->setEnabled(web->canGoBack());
    v.forwardButton_->setEnabled(web->canGoForward());
    platform::BarButtonItem* busyOrReload;
    if (web->isLoading()) {
        busyOrReload = v.spinnerContainingButton_.get();
        v.spinner_->startAnimating();
        v.safariButton_->setEnabled(false);
    } else {
        busyOrReload = v.reloadButton_.get();
        v.spinner_->stopAnimating();
        v.safariButton_->setEnabled(true);
    }
    platform::BarButtonItem* space = v.flexibleSpaceButton_.get();
    v.toolbar_->setItems({ v.backButton_.get(), space, v.forwardButton_.get(), space, busyOrReload, space,
        v.safariButton_.get(), space, v.doneButton_.get() });
}

void ADSBrowserController::didRotateFromInterfaceOrientation(int from)
{
    ADSViewController::didRotateFromInterfaceOrientation(from);
    if (platform::WebView* web = webView())
        ADSWebViewDelegate::notifyWebViewOfOrientationChange(*web, interfaceOrientation());
}
