// The public banner: its one precondition, and a delegate or owner that lets
// go of the banner at awkward moments.
#include "ads/support/BannerFixture.h"
#include "Utility/ADSPrivateUtilities.h"

namespace {

class ADSBannerViewTest : public BannerFixture { };

TEST_F(ADSBannerViewTest, WithoutARootViewControllerTheLoadIsAnInvalidRequest)
{
    banner->setRootViewController(nullptr);
    banner->loadRequest(nullptr);
    EXPECT_EQ(object().state(), ADSObjectPrivate::Idle);
    EXPECT_EQ(delegate.errors, (std::vector<long> { 0 }));
    EXPECT_EQ(platform::Console::takeLines(),
        (std::vector<std::string> { "<Ads> Must set the rootViewController property of ADSBannerView before calling loadRequest:" }));
    pumpFor(0.3);
    EXPECT_EQ(hits("core"), 0);
    EXPECT_TRUE(banner->webView().isHidden());
    EXPECT_EQ(banner->webView().superview(), banner.get());
    EXPECT_EQ(banner->webView().frame(), (platform::Rect { 0, 0, 320, 50 }));
}

TEST_F(ADSBannerViewTest, TheDelegateMayReleaseTheBannerWhenTheAdArrives)
{
    const size_t objects = ADSPrivateUtilities::count();
    std::weak_ptr<ADSObjectPrivate> watch = object().shared_from_this();
    delegate.onReceive = [&] { banner.reset(); };
    load();
    ASSERT_TRUE(pumpUntil([&] { return delegate.received == 1; }));
    EXPECT_EQ(ADSPrivateUtilities::count(), objects - 1);
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(watch.expired()) << "released once the turn was over";
    pumpFor(0.3);
    EXPECT_TRUE(delegate.errors.empty());
}

TEST_F(ADSBannerViewTest, ABannerDestroyedDuringALoadHearsNothingMore)
{
    std::weak_ptr<ADSObjectPrivate> watch = object().shared_from_this();
    load();
    ASSERT_TRUE(pumpUntil([&] { return object().hasBuildAdWebView(); }));
    banner.reset();
    pumpFor(1.5);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(delegate.received, 0);
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_EQ(hits("banner"), 0) << "the script's answer found nobody to act on it";
}

}
