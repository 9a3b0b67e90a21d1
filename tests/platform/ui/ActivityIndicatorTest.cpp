#include "UiTestSupport.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

TEST(ActivityIndicator, SpinsOnTheClockAndStopsCleanly)
{
    Window window;
    auto spinner = std::make_unique<ActivityIndicator>(ActivityIndicator::Style::WhiteLarge);
    EXPECT_EQ(spinner->frame(), (Rect { 0, 0, 37, 37 }));
    window.addSubview(*spinner);
    spinner->startAnimating();
    spinner->startAnimating(); // a second start changes nothing
    EXPECT_TRUE(spinner->isAnimating());
    uitest::advance(0.5);
    ASSERT_TRUE(window.renderToPng(::testing::TempDir() + "spinner.png"));
    spinner->stopAnimating();
    EXPECT_FALSE(spinner->isAnimating());

    // Destroyed while spinning: its timer must go with it.
    spinner->startAnimating();
    spinner.reset();
    uitest::advance(1);
    EXPECT_TRUE(window.subviews().empty());
}
