#include "TolvaneViewController.h"

#include "ScreenFrames.h"

#include "ADSConfiguration.h"
#include "Request/ADSRequest.h"
#include "View/ADSBannerView.h"

#include "platform/NotificationCenter.h"

// Made and destroyed here, on the screen side, where the banner's type is
// complete: the game half of the controller never sees the ad library.
TolvaneViewController::TolvaneViewController() = default;

TolvaneViewController::~TolvaneViewController()
{
    // The platform's centre would otherwise call a destroyed controller.
    if (observingTermination_)
        platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (gameTimer)
        gameTimer->invalidate();
    // Before the view it lies in: the banner points back at this controller
    // as the one to present from.
    bannerView_.reset();
}

// The banner sits over the logo. Its ad web view stays hidden until an ad has
// loaded, so the logo shows through while there is none, and for good after a
// failure. No delegate is set: nothing the banner does reaches the game.
void TolvaneViewController::createBannerView()
{
    bannerView_ = std::make_unique<ADSBannerView>(kPortraitFrames.banner);
    bannerView_->setObjectName("bannerView_");
    bannerView_->setAdUnitID(ADSConfiguration::adUnitID());
    bannerView_->setRootViewController(this);
    view().addSubview(*bannerView_);
    bannerView_->loadRequest(ADSRequest::request().get());
}
