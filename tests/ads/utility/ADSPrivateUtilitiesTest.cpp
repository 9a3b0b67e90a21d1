// The private-object map: lookups by identity and type, and the release of
// values when they are replaced or removed.
#include "Utility/ADSPrivateUtilities.h"
#include <gtest/gtest.h>

namespace {

struct Tracked {
    int value;
    std::function<void()> onDestroy;
    ~Tracked()
    {
        if (onDestroy)
            onDestroy();
    }
};

TEST(ADSPrivateUtilities, ValuesAreFoundByKeyAndTypeAndReleasedOnRemoval)
{
    int keyA = 0, keyB = 0;
    const size_t before = ADSPrivateUtilities::count();
    auto a = std::make_shared<Tracked>(Tracked { 1, nullptr });
    std::weak_ptr<Tracked> watchA = a;
    ADSPrivateUtilities::setPrivateObject(std::move(a), &keyA);
    ADSPrivateUtilities::setPrivateObject(std::make_shared<int>(7), &keyB);

    ASSERT_TRUE(ADSPrivateUtilities::privateObjectForKey<Tracked>(&keyA));
    EXPECT_EQ(ADSPrivateUtilities::privateObjectForKey<Tracked>(&keyA)->value, 1);
    EXPECT_EQ(*ADSPrivateUtilities::privateObjectForKey<int>(&keyB), 7);
    EXPECT_FALSE(ADSPrivateUtilities::privateObjectForKey<int>(&keyA)) << "another type is not there";
    EXPECT_FALSE(watchA.expired()) << "the map keeps its values";

    // Replacing releases the old value; its destructor may use the map.
    bool lookedUp = false;
    ADSPrivateUtilities::privateObjectForKey<Tracked>(&keyA)->onDestroy = [&] {
        lookedUp = true;
        EXPECT_EQ(*ADSPrivateUtilities::privateObjectForKey<int>(&keyB), 7);
    };
    ADSPrivateUtilities::setPrivateObject(std::make_shared<Tracked>(Tracked { 2, nullptr }), &keyA);
    EXPECT_TRUE(watchA.expired());
    EXPECT_TRUE(lookedUp);
    EXPECT_EQ(ADSPrivateUtilities::privateObjectForKey<Tracked>(&keyA)->value, 2);

    ADSPrivateUtilities::removePrivateObjectForKey(&keyA);
    ADSPrivateUtilities::removePrivateObjectForKey(&keyB);
    ADSPrivateUtilities::removePrivateObjectForKey(&keyB);
    EXPECT_FALSE(ADSPrivateUtilities::privateObjectForKey<Tracked>(&keyA));
    EXPECT_EQ(ADSPrivateUtilities::count(), before);
}

}
