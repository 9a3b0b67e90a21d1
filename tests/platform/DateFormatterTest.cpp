#include "platform/Clock.h"
#include "platform/DateFormatter.h"
#include "platform/PlatformSession.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

VirtualClock& virtualClock() { return *PlatformSession::current()->virtualClock(); }

// 2026-01-15 (a Thursday) at the given UTC time.
Date at(int h, int m, int s) { return Date { 1768435200.0 + h * 3600 + m * 60 + s }; }

class DateFormatterTest : public ::testing::Test {
protected:
    void TearDown() override { virtualClock().setLocalOffsetSeconds(0); }
};

}

TEST_F(DateFormatterTest, TwelveHourClockWithoutLeadingZero)
{
    DateFormatter f("h:mm:ss");
    EXPECT_EQ(f.format(at(14, 5, 9)), "2:05:09");
    EXPECT_EQ(f.format(at(0, 30, 0)), "12:30:00");
    EXPECT_EQ(f.format(at(12, 0, 0)), "12:00:00");
    EXPECT_EQ(f.format(at(23, 59, 59)), "11:59:59");
    EXPECT_EQ(f.format(at(9, 1, 2)), "9:01:02");
    EXPECT_EQ(DateFormatter("hh a").format(at(9, 0, 0)), "09 AM");
    EXPECT_EQ(DateFormatter("h a").format(at(0, 0, 0)), "12 AM");
    EXPECT_EQ(DateFormatter("h a").format(at(12, 0, 0)), "12 PM");
}

TEST_F(DateFormatterTest, LocalZoneFollowsTheClock)
{
    virtualClock().setLocalOffsetSeconds(-5 * 3600);
    EXPECT_EQ(DateFormatter("h:mm:ss").format(at(14, 5, 9)), "9:05:09");
    EXPECT_EQ(DateFormatter("HH:mm Z").format(at(14, 5, 9)), "09:05 -0500");
    EXPECT_EQ(DateFormatter("HH:mm", DateFormatter::Zone::GMT).format(at(14, 5, 9)), "14:05");
    virtualClock().setLocalOffsetSeconds(-15 * 3600);
    EXPECT_EQ(DateFormatter("yyyyMMdd").format(at(14, 5, 9)), "20260114");
}

TEST_F(DateFormatterTest, FieldWidthsNamesAndLiterals)
{
    const Date d = Date { 1709208000.0 + 3 * 3600 + 4 * 60 + 5.678 }; // Thu 2024-02-29 15:04:05.678
    EXPECT_EQ(DateFormatter("yyyyMMdd").format(d), "20240229");
    EXPECT_EQ(DateFormatter("yy-M-d H:m:s").format(d), "24-2-29 15:4:5");
    EXPECT_EQ(DateFormatter("y MMM MMMM E EEE EEEE").format(d), "2024 Feb February Thu Thu Thursday");
    EXPECT_EQ(DateFormatter("ss.SSS").format(d), "05.678");
    EXPECT_EQ(DateFormatter("ss.S").format(d), "05.6");
    EXPECT_EQ(DateFormatter("'Time:' HH 'o''clock' ''").format(d), "Time: 15 o'clock '");
    EXPECT_EQ(DateFormatter("yyyy-MM-dd'T'HH:mm:ssZZZZZ").format(d), "2024-02-29T15:04:05Z");
    EXPECT_EQ(DateFormatter("[HH]").format(d), "[15]");
    EXPECT_EQ(DateFormatter("yyyy").format(Date { -62135596800.0 }), "0001");
}

TEST_F(DateFormatterTest, HttpDateRoundTrips)
{
    const Date d { 784111777 };
    EXPECT_EQ(DateFormatter::httpDate(d), "Sun, 06 Nov 1994 08:49:37 GMT");
    auto parsed = DateFormatter::parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->secondsSince1970, 784111777.0);
    // The form without a zone name, as header texts cut before "GMT" have it.
    DateFormatter form("EEE, dd MMM yyyy HH:mm:ss", DateFormatter::Zone::GMT);
    EXPECT_EQ(form.format(d), "Sun, 06 Nov 1994 08:49:37");
    parsed = form.parse("Sun, 06 Nov 1994 08:49:37 ");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->secondsSince1970, 784111777.0);
    for (double t : { 0.0, 951782400.0, 1768478403.0, 4102444799.0 }) {
        auto back = DateFormatter::parseHttpDate(DateFormatter::httpDate(Date { t }));
        ASSERT_TRUE(back) << t;
        EXPECT_EQ(back->secondsSince1970, t);
    }
}

TEST_F(DateFormatterTest, ParseRefusesWhatDoesNotMatch)
{
    EXPECT_FALSE(DateFormatter::parseHttpDate(""));
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sun, 06 Nov 1994"));
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sun, 31 Feb 1994 08:49:37 GMT"));
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sun, 06 Nox 1994 08:49:37 GMT"));
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sun, 06 Nov 1994 25:49:37 GMT"));
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT junk"));
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"));
    EXPECT_FALSE(DateFormatter("yyyyMMdd").parse("2026011"));
    EXPECT_FALSE(DateFormatter("yyyyMMdd").parse("20261301"));
    EXPECT_FALSE(DateFormatter("h:mm").parse("13:00"));
    EXPECT_FALSE(DateFormatter("h:mm").parse("0:00"));
}

TEST_F(DateFormatterTest, ParsesCompactAndTwelveHourForms)
{
    auto d = DateFormatter("yyyyMMdd", DateFormatter::Zone::GMT).parse("20240229");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->secondsSince1970, 1709164800.0);
    d = DateFormatter("h:mm a", DateFormatter::Zone::GMT).parse("12:30 AM");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->secondsSince1970, 30 * 60.0);
    d = DateFormatter("h:mm a", DateFormatter::Zone::GMT).parse("2:05 pm");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->secondsSince1970, 14 * 3600 + 5 * 60.0);
    d = DateFormatter("yyyy-MM-dd HH:mm Z").parse("2024-02-29 10:00 +0130");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->secondsSince1970, 1709164800.0 + 8.5 * 3600);
    virtualClock().setLocalOffsetSeconds(3600);
    d = DateFormatter("yyyyMMdd HH:mm:ss").parse("20240229 01:00:00");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->secondsSince1970, 1709164800.0);
}
