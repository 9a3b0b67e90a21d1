#include "platform/Clock.h"
#include "platform/DateFormatter.h"
#include "platform/PlatformSession.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

// Patterns come from callers, so a field may be any width: the number is
// padded to exactly that width, never cut short, whatever the length.
TEST_F(DateFormatterTest, NumericFieldsOfAnyWidthArePaddedWhole)
{
    const Date d = at(14, 5, 9); // 2026-01-15
    const std::pair<char, std::string> fields[] = { { 'H', "14" }, { 'h', "2" }, { 'm', "5" }, { 's', "9" },
        { 'd', "15" }, { 'M', "1" }, { 'y', "2026" } };
    for (int width : { 2, 31, 32, 33, 64, 1000 }) {
        for (const auto& [letter, value] : fields) {
            if (letter == 'M' && width >= 3)
                continue; // three or more M spell the month's name
            if (letter == 'y' && width == 2)
                continue; // two y keep the last two digits
            std::string text = DateFormatter(std::string(size_t(width), letter), DateFormatter::Zone::GMT).format(d);
            SCOPED_TRACE(std::string(1, letter) + " x " + std::to_string(width));
            ASSERT_EQ(text.size(), size_t(width));
            EXPECT_EQ(text.find_first_not_of('0'), size_t(width) - value.size()) << text;
            EXPECT_EQ(text.substr(size_t(width) - value.size()), value);
        }
    }
    // Fractions beyond nine digits are zeros; negative years keep their sign.
    const std::string fraction = DateFormatter(std::string(40, 'S')).format(Date { 0.5 });
    EXPECT_EQ(fraction.substr(0, 3), "500");
    EXPECT_EQ(fraction.substr(9), std::string(31, '0'));
    // 0000-01-01 less 365 days is the first day of year -1.
    const std::string year = DateFormatter(std::string(40, 'y'), DateFormatter::Zone::GMT).format(Date { -62167219200.0 - 86400 * 365.0 });
    ASSERT_EQ(year.size(), 40u);
    EXPECT_EQ(year.front(), '-');
    EXPECT_EQ(year.find_first_not_of('0', 1), 39u) << year;
    EXPECT_EQ(year.back(), '1');
}

TEST_F(DateFormatterTest, WideAbuttingFieldsParseOrRefuseWithoutOverflow)
{
    auto d = DateFormatter(std::string(12, 'y') + "MMdd", DateFormatter::Zone::GMT).parse("0000000020240229");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->secondsSince1970, 1709164800.0);
    // Values that would overflow the day count or the digit accumulator do not match.
    EXPECT_FALSE(DateFormatter(std::string(12, 'y') + "MMdd").parse("9999999999990101"));
    EXPECT_FALSE(DateFormatter(std::string(40, 'y') + "MMdd").parse(std::string(40, '9') + "0101"));
    // A day of 2^32 + 1 must not wrap around to the first.
    EXPECT_FALSE(DateFormatter("yyyyMM" + std::string(18, 'd')).parse("202401" + std::string(8, '0') + "4294967297"));
}

// Found by fuzzing: a year the calendar cannot spell back was read and then
// written as another date. Far years read and write back; beyond, nothing reads.
TEST_F(DateFormatterTest, HttpDatesReadOnlyWhatTheyCanWriteBack)
{
    auto far = DateFormatter::parseHttpDate("Sun, 01 Nov 200000000 00:09:03 GMT");
    ASSERT_TRUE(far);
    EXPECT_EQ(DateFormatter::httpDate(*far).substr(5), "01 Nov 200000000 00:09:03 GMT");
    EXPECT_FALSE(DateFormatter::parseHttpDate("Sun, 1 Nov 852006161 0:9:3 "));
    EXPECT_FALSE(DateFormatter("yyyy-MM-dd", DateFormatter::Zone::GMT).parse("300000000-01-01"));
}
