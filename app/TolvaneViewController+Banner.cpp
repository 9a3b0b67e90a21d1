#include "TolvaneViewController.h"

#include "ScreenFrames.h"

// The banner's place on the screen. Until the ad library supplies the banner
// this is a plain 320 x 50 view that the rotation policy moves as it would
// move the banner.
void TolvaneViewController::createBannerView()
{
    bannerView_ = std::make_unique<platform::View>(kPortraitFrames.banner);
    bannerView_->setObjectName("bannerView_");
    bannerView_->setBackgroundColor(platform::Color::clear());
    view().addSubview(*bannerView_);
}
