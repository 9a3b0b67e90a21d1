#include "WebApp/ADSWebAppViewController.h"

#include "Notification/ADSNotificationCenter.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIntrinsicImages.h"
#include "Utility/ADSParameterNames.h"
#include "WebApp/ADSWebAppViewControllerPrivate.h"
#include "WebApp/ADSWebAppWebViewDelegate.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Image.h"
#include "platform/ui/WebView.h"

namespace {
constexpr float kSpinnerSide = 20;
}

std::shared_ptr<ADSViewControllerPrivate> ADSWebAppViewController::createPrivateData()
{
    return std::make_shared<ADSWebAppViewControllerPrivate>();
}

ADSWebAppViewController::ADSWebAppViewController() : ADSViewController(createPrivateData())
{
    vars().loadingSpinner_ = std::make_unique<platform::ActivityIndicator>(platform::ActivityIndicator::Style::White);
    vars().loadingSpinner_->setObjectName("webAppSpinner");
}

ADSWebAppViewController::~ADSWebAppViewController() = default;

ADSWebAppViewControllerPrivate& ADSWebAppViewController::vars() const
{
    return static_cast<ADSWebAppViewControllerPrivate&>(ADSViewController::vars());
}

platform::WebView* ADSWebAppViewController::webView() const { return vars().webView_.get(); }

void ADSWebAppViewController::setWebView(std::unique_ptr<platform::WebView> webView)
{
    vars().webView_ = std::move(webView);
}

platform::Button* ADSWebAppViewController::closeButton() const { return vars().closeButton_.get(); }

void ADSWebAppViewController::load(const platform::Url& url)
{
    if (platform::WebView* web = webView()) {
        platform::UrlRequest request;
        request.url = url.absoluteString();
        web->loadRequest(request);
    } else {
        vars().urlToLoad_ = url;
    }
}

void ADSWebAppViewController::loadHTML(const std::string& html, const std::optional<platform::Url>& baseURL)
{
    if (platform::WebView* web = webView()) {
        web->loadHTMLString(html, baseURL ? std::optional<std::string>(baseURL->absoluteString()) : std::nullopt);
    } else {
        vars().htmlToLoad_ = html;
        vars().htmlBaseURLToLoad_ = baseURL;
    }
}

void ADSWebAppViewController::viewWillAppear(bool animated)
{
    ADSViewController::viewWillAppear(animated);
    auto& v = vars();
    if (v.webView_)
        return;
    platform::View& root = view();
    const platform::Rect bounds = root.bounds();

    v.webView_ = std::make_unique<platform::WebView>(bounds);
    platform::WebView& web = *v.webView_;
    web.setObjectName("webAppWebView");
    web.setClipsToBounds(true);
    web.setAutoresizingMask(platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleHeight);
    web.setScalesPageToFit(true);
    web.setOpaque(false);
    web.setBackgroundColor(platform::Color::clear());
    root.addSubview(web);
    web.setAllowsInlineMediaPlayback(true);
    web.setMediaPlaybackRequiresUserAction(false);
    web.setDataDetectorTypes(platform::DataDetectorTypeNone);

    v.webViewDelegate_ = std::make_unique<ADSWebAppWebViewDelegate>(v);
    v.webViewDelegate_->setViewController(this);
    v.webViewDelegate_->setOpeningWebView(openingWebView());
    v.webViewDelegate_->opener().setDelegateManager(delegateManager());
    web.setDelegate(v.webViewDelegate_.get());

    if (v.urlToLoad_) {
        platform::Url url = *v.urlToLoad_;
        v.urlToLoad_.reset();
        load(url);
    } else if (v.htmlToLoad_) {
        std::string html = std::move(*v.htmlToLoad_);
        std::optional<platform::Url> base = v.htmlBaseURLToLoad_;
        v.htmlToLoad_.reset();
        v.htmlBaseURLToLoad_.reset();
        loadHTML(html, base);
    }

    std::shared_ptr<const platform::Image> image = ADSIntrinsicImages::closeButton();
    v.closeButton_ = std::make_unique<platform::Button>(platform::Button::Type::Custom);
    platform::Button& close = *v.closeButton_;
    close.setObjectName("closeButton");
    close.setImage(image);
    close.setShowsTouchWhenHighlighted(true);
    close.setEnabled(true);
    platform::Size size = image ? image->size() : platform::Size { 25, 25 };
    close.setFrame({ 4, 4, size.width, size.height });
    close.onTouchUpInside = [this](platform::Button&) { relinquishScreen(); };
    root.addSubview(close);

    if (v.loadingSpinner_) {
        platform::ActivityIndicator& spinner = *v.loadingSpinner_;
        spinner.setFrame({ (bounds.width - kSpinnerSide) * 0.5f, (bounds.height - kSpinnerSide) * 0.5f, kSpinnerSide, kSpinnerSide });
        spinner.setAutoresizingMask(platform::AutoresizingFlexibleLeftMargin | platform::AutoresizingFlexibleRightMargin);
        root.addSubview(spinner);
        spinner.startAnimating();
    }
}

void ADSWebAppViewController::viewDidAppear(bool animated)
{
    ADSViewController::viewDidAppear(animated);
    if (vars().webViewDelegate_)
        vars().webViewDelegate_->setPendingOnShow(true);
}

void ADSWebAppViewController::viewDidDisappear(bool animated)
{
    auto& statistics = ADSStatistics::sharedStatistics();
    statistics.endTimingNamed(kADSParameterPriorLandingPageDuration);
    statistics.endTimingNamed(kADSParameterPriorClickLatency);
    ADSViewController::viewDidDisappear(animated);
    if (platform::WebView* web = webView())
        ADSNotificationCenter::defaultCenter().postJSNotification("onhide", std::nullopt, *web);
}

void ADSWebAppViewController::didRotateFromInterfaceOrientation(int from)
{
    ADSViewController::didRotateFromInterfaceOrientation(from);
    if (platform::WebView* web = webView())
        ADSWebViewDelegate::notifyWebViewOfOrientationChange(*web, interfaceOrientation());
}
