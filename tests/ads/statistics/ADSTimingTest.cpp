// Stopwatch arithmetic on the virtual clock and the dictionary form that is
// persisted.
#include "Timing/ADSTiming.h"
#include "platform/Clock.h"
#include "platform/PlatformSession.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {

void advance(double s) { platform::PlatformSession::current()->virtualClock()->advance(s); }

TEST(ADSTiming, ElapsedMillisecondsForEndedRunningAndIdleTimings)
{
    ADSTiming t("prl");
    EXPECT_EQ(t.elapsedMilliseconds(), 0u);
    EXPECT_FALSE(t.isActive());
    t.end(); // ending a never-started timing does nothing
    EXPECT_EQ(t.endSeconds(), 0);

    t.start();
    EXPECT_TRUE(t.isActive());
    advance(1.5);
    t.end();
    EXPECT_FALSE(t.isActive());
    EXPECT_EQ(t.elapsedMilliseconds(), 1500u);
    EXPECT_EQ(t.elapsedMillisecondsString(), "1500");
    advance(3);
    EXPECT_EQ(t.elapsedMilliseconds(), 1500u) << "an ended timing no longer grows";
    t.end(); // ending again moves the end
    EXPECT_EQ(t.elapsedMilliseconds(), 4500u);

    t.start(); // restart: running again, measured up to now
    advance(0.25);
    EXPECT_TRUE(t.isActive());
    EXPECT_EQ(t.elapsedMilliseconds(), 250u);
    t.reset();
    EXPECT_EQ(t.startSeconds(), 0);
    EXPECT_EQ(t.elapsedMilliseconds(), 0u);
}

TEST(ADSTiming, TimesFromAnotherBootNeverGoNegative)
{
    // A start read back after a reboot can lie ahead of the restarted clock.
    platform::Dictionary rep { { "category", "pcl" }, { "start", ADSTiming::counter() + 1000.0 }, { "end", 0.0 } };
    ADSTiming t = ADSTiming::initWithDictionaryRepresentation(rep);
    EXPECT_EQ(t.elapsedMilliseconds(), 0u);
}

TEST(ADSTiming, DictionaryRepresentationRoundTripsWithAndWithoutUserData)
{
    ADSTiming plain("plpl");
    plain.start();
    advance(0.5);
    plain.end();
    platform::Dictionary rep = plain.dictionaryRepresentation();
    EXPECT_FALSE(rep.contains("userData"));
    EXPECT_EQ(rep.get("category").asString(), "plpl");
    ADSTiming back = ADSTiming::initWithDictionaryRepresentation(rep);
    EXPECT_EQ(back.category(), "plpl");
    EXPECT_EQ(back.startSeconds(), plain.startSeconds());
    EXPECT_EQ(back.endSeconds(), plain.endSeconds());
    EXPECT_FALSE(back.hasUserData());

    ADSTiming rich("pcl");
    rich.setValue(platform::Value("abc"), "pai");
    rich.setValue(platform::Value(), "ignored");
    rich.setValue(platform::Value(7), "n");
    EXPECT_EQ(rich.keysAndValues().size(), 2u);
    ADSTiming copy = rich.copy();
    ASSERT_NE(copy.valueForKey("pai"), nullptr);
    EXPECT_EQ(copy.valueForKey("pai")->asString(), "abc");
    EXPECT_EQ(copy.valueForKey("n")->asInt64(), 7);
    // The copy's extra values are its own.
    copy.removeValueForKey("pai");
    EXPECT_EQ(copy.valueForKey("pai"), nullptr);
    EXPECT_NE(rich.valueForKey("pai"), nullptr);
}

TEST(ADSTiming, DamagedRepresentationReadsAsIdle)
{
    platform::Dictionary rep { { "category", 12 }, { "start", "soon" }, { "end", platform::Value(std::nan("")) },
        { "userData", "not a dictionary" } };
    ADSTiming t = ADSTiming::initWithDictionaryRepresentation(rep);
    EXPECT_EQ(t.startSeconds(), 0);
    EXPECT_EQ(t.endSeconds(), 0);
    EXPECT_FALSE(t.hasUserData());
    EXPECT_EQ(t.elapsedMilliseconds(), 0u);
}

TEST(ADSTiming, DescriptionShowsClassAddressAndRepresentation)
{
    ADSTiming t("ptime");
    std::string d = t.description();
    EXPECT_EQ(d.rfind("ADSTiming (0x", 0), 0u) << d;
    EXPECT_NE(d.find("ptime"), std::string::npos) << d;
}

}
