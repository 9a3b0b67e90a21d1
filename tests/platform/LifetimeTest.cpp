#include "platform/Lifetime.h"

#include <gtest/gtest.h>

#include <memory>

using platform::Lifetime;

TEST(Lifetime, WatchesSeeTheEndWhetherEndedOrDestroyed)
{
    EXPECT_FALSE(Lifetime::Watch {}) << "a watch of nothing is never alive";

    auto owner = std::make_unique<Lifetime>();
    const Lifetime::Watch early = owner->watch();
    // A copied holder is another object: its end is not the original's.
    auto copy = std::make_unique<Lifetime>(*owner);
    const Lifetime::Watch ofCopy = copy->watch();
    copy.reset();
    EXPECT_FALSE(ofCopy);
    EXPECT_TRUE(early);

    owner->end();
    EXPECT_FALSE(early);
    EXPECT_FALSE(owner->watch()) << "a watch taken after the end sees it too";

    Lifetime scoped;
    Lifetime::Watch late = scoped.watch();
    {
        Lifetime inner;
        late = inner.watch();
        EXPECT_TRUE(late);
    }
    EXPECT_FALSE(late);
}
