#include "View/ADSBannerView.h"

#include "Delegate/ADSDelegateManager.h"
#include "Object/ADSObjectPrivate.h"
#include "Request/ADSRequestError.h"
#include "Request/ADSRequestPrivate.h"
#include "Utility/ADSPrivateUtilities.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"

ADSBannerView::ADSBannerView()
    : ADSBannerView(platform::Rect {})
{
}

ADSBannerView::ADSBannerView(platform::Rect frame)
    : platform::View(frame)
{
    commonInitializer();
}

void ADSBannerView::commonInitializer()
{
    setBackgroundColor(platform::Color::clear());
    setObjectName("bannerView");
    ADSPrivateUtilities::setPrivateObject(ADSObjectPrivate::createWithView(*this), this);
}

ADSBannerView::~ADSBannerView()
{
    ADSObjectPrivate& object = privateObject();
    object.cancelPendingActions();
    object.detachView();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    ADSPrivateUtilities::removePrivateObjectForKey(this);
}

ADSObjectPrivate& ADSBannerView::privateObject() const
{
    // Set by the constructor and removed only by the destructor.
    return *ADSPrivateUtilities::privateObjectForKey<ADSObjectPrivate>(this);
}

const std::string& ADSBannerView::adUnitID() const { return privateObject().adUnitID(); }
void ADSBannerView::setAdUnitID(const std::string& adUnitID) { privateObject().setAdUnitID(adUnitID); }
platform::ViewController* ADSBannerView::rootViewController() const { return privateObject().rootViewController(); }
void ADSBannerView::setRootViewController(platform::ViewController* controller)
{
    privateObject().setRootViewController(controller);
}
ADSBannerViewDelegate* ADSBannerView::delegate() const { return privateObject().delegateManager()->bannerDelegate(); }
platform::WebView& ADSBannerView::webView() const { return privateObject().webView(); }
bool ADSBannerView::hasAutoRefreshed() const { return privateObject().hasAutoRefreshed(); }

void ADSBannerView::setDelegate(ADSBannerViewDelegate* delegate)
{
    ADSDelegateManager& manager = *privateObject().delegateManager();
    manager.setBannerDelegate(delegate);
    manager.setAdView(this);
}

void ADSBannerView::loadRequest(const ADSRequest* request)
{
    ADSObjectPrivate& object = privateObject();
    if (!object.rootViewController()) {
        platform::Console::log("<Ads> Must set the rootViewController property of ADSBannerView before calling loadRequest:");
        object.retainForThisTurn();
        object.delegateManager()->didFailToReceiveAdWithError(ADSRequestError::errorWithCode(
            ADSRequestError::InvalidRequest, dynamic_cast<const ADSRequestPrivate*>(request)));
        return;
    }
    object.loadRequest(request);
}
