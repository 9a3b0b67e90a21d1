#include "platform/Lifetime.h"

#include <gtest/gtest.h>

#include <memory>

using platform::Lifetime;

TEST(Lifetime, WatchesSeeTheEndWhetherEndedOrDestroyed)
{
    EXPECT_FALSE(Lifetime::Watch {});
    auto owner = std::make_unique<Lifetime>();
    const Lifetime::Watch watch = owner->watch();
    // A copy belongs to another object: its end is not the original's.
    const Lifetime::Watch ofCopy = std::make_unique<Lifetime>(*owner)->watch();
    EXPECT_FALSE(ofCopy);
    EXPECT_TRUE(watch);
    owner->end();
    EXPECT_FALSE(watch);
    EXPECT_FALSE(owner->watch());
    const Lifetime::Watch ofDestroyed = std::make_unique<Lifetime>()->watch();
    EXPECT_FALSE(ofDestroyed);
}
