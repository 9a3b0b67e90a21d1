#include "UiTestSupport.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

TEST(ActivityIndicator, SpinsOnTheClockAndItsTimerStopsWithIt)
{
    Window window;
    auto& loop = RunLoop::main();
    uitest::advance(1); // whatever else was pending is done
    const double idle = loop.nextDeadline();

    auto spinner = std::make_unique<ActivityIndicator>(ActivityIndicator::Style::WhiteLarge);
    EXPECT_EQ(spinner->frame(), (Rect { 0, 0, 37, 37 }));
    window.addSubview(*spinner);
    spinner->startAnimating();
    spinner->startAnimating(); // a second start changes nothing
    EXPECT_TRUE(spinner->isAnimating());
    const double beat = loop.nextDeadline() - Clock::shared().monotonic();
    EXPECT_GT(beat, 0);
    EXPECT_LE(beat, 1.0 / 12 + 1e-9);
    uitest::advance(0.5);
    EXPECT_GT(loop.nextDeadline(), Clock::shared().monotonic()) << "still spinning";
    ASSERT_TRUE(window.renderToPng(::testing::TempDir() + "spinner.png"));

    spinner->stopAnimating();
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_EQ(loop.nextDeadline(), idle) << "stopping leaves no timer behind";

    // Destroyed while spinning: its timer goes with it.
    spinner->startAnimating();
    EXPECT_NE(loop.nextDeadline(), idle);
    spinner.reset();
    EXPECT_EQ(loop.nextDeadline(), idle);
    uitest::advance(1);
    EXPECT_TRUE(window.subviews().empty());
}
