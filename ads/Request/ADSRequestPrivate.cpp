#include "Request/ADSRequestPrivate.h"

#include "Network/ADSNetworkChecker.h"
#include "Signals/ADSSignals.h"
#include "Statistics/ADSStatistics.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/DateFormatter.h"
#include "platform/net/Device.h"

#include <algorithm>
#include <cstdio>

namespace {

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

platform::Array arrayOfStrings(const std::vector<std::string>& strings)
{
    platform::Array array;
    array.reserve(strings.size());
    for (const std::string& s : strings)
        array.emplace_back(s);
    return array;
}

}

ADSRequestPrivate::ADSRequestPrivate(const ADSRequestPrivate& other)
    : ADSRequest()
{
    setTestDevices(other.testDevices());
    setTesting(other.isTesting());
    setAdditionalParameters(other.additionalParameters());
    setGender(other.gender());
    setBirthday(other.birthday());
    setLocation(other.location());
    setKeywords(other.keywords());
    setInterstitialAd(other.isInterstitialAd());
}

std::unique_ptr<ADSRequestPrivate> ADSRequestPrivate::copy() const
{
    return std::make_unique<ADSRequestPrivate>(*this);
}

// The calendar is Gregorian and the day starts at local midnight, so that
// the yyyyMMdd text read back in local time names the day that was given.
// Months and days outside their ranges roll into the neighbouring ones.
void ADSRequestPrivate::setBirthdayWithMonth(int32_t month, int32_t day, int32_t year)
{
    int64_t y = year;
    int64_t m = int64_t(month) - 1;
    y += m >= 0 ? m / 12 : -((11 - m) / 12);
    m = ((m % 12) + 12) % 12;
    const int64_t days = daysFromCivil(y, m + 1, 1) + int64_t(day) - 1;
    const double utcMidnight = double(days) * 86400.0;
    const platform::Clock& clock = platform::Clock::shared();
    const double guess = utcMidnight - clock.localOffsetSeconds(utcMidnight);
    setBirthday(std::make_shared<const platform::Date>(platform::Date { utcMidnight - clock.localOffsetSeconds(guess) }));
}

namespace {
std::shared_ptr<const ADSLocation> shared(std::optional<ADSLocation> location)
{
    return location ? std::make_shared<const ADSLocation>(std::move(*location)) : nullptr;
}
}

void ADSRequestPrivate::setLocationWithLatitude(float latitude, float longitude, float accuracy)
{
    setLocation(shared(ADSLocation::initWithLatitude(latitude, longitude, accuracy)));
}

void ADSRequestPrivate::setLocationWithDescription(const std::string& description)
{
    setLocation(shared(ADSLocation::initWithDescription(description)));
}

void ADSRequestPrivate::addKeyword(const std::string& keyword)
{
    if (keyword.empty())
        return;
    if (!keywords_)
        keywords_ = std::make_shared<std::vector<std::string>>();
    keywords_->push_back(keyword);
}

std::optional<std::string> ADSRequestPrivate::genderString() const
{
    if (gender_ == 1)
        return "m";
    if (gender_ == 2)
        return "f";
    return std::nullopt;
}

std::optional<std::string> ADSRequestPrivate::birthdayString() const
{
    if (!birthday_)
        return std::nullopt;
    return platform::DateFormatter("yyyyMMdd").format(*birthday_);
}

platform::Dictionary ADSRequestPrivate::parameters() const
{
    platform::Dictionary p = ADSIdentifierUtilities::sharedInstance().parameters();
    p.set(kADSParameterSDKVersion, sdkVersion());
    if (std::optional<std::string> net = ADSNetworkChecker::sharedChecker().networkTypeString())
        p.set(kADSParameterNetworkType, *net);
    if (testing_) {
        platform::Console::log("<Ads> \"testing\" property has been deprecated.  Use \"testDevices\" instead.");
        p.set(kADSParameterTesting, "1");
    }
    if (testDevices_) {
        const std::string device = platform::Device::current().uniqueIdentifier();
        if (std::find(testDevices_->begin(), testDevices_->end(), device) != testDevices_->end())
            p.set(kADSParameterTestMode, "on");
    }
    if (additionalParameters_)
        p.set(kADSParameterExtraParams, *additionalParameters_);
    if (std::optional<std::string> g = genderString())
        p.set(kADSParameterGender, *g);
    if (std::optional<std::string> b = birthdayString())
        p.set(kADSParameterBirthday, *b);
    if (keywords_)
        p.set(kADSParameterKeywords, arrayOfStrings(*keywords_));
    if (location_) {
        if (std::optional<std::string> wire = location_->wireRepresentation())
            p.set(kADSParameterLocation, *wire);
    }
    for (auto& [key, value] : ADSStatistics::sharedStatistics().parameters())
        p.set(key, std::move(value));
    p.set(kADSParameterTotalAdRequests, platform::Value(int64_t(counter_)));
    return p;
}

platform::Dictionary ADSRequestPrivate::signalsFromString(const std::string& text)
{
    platform::Dictionary signals;
    const size_t first = text.find('=');
    if (first == std::string::npos)
        return signals;
    const size_t second = text.find('=', first + 1);
    std::string value = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (value.empty())
        return signals;
    signals.set(text.substr(0, first), std::move(value));
    return signals;
}

platform::Dictionary ADSRequestPrivate::spamSignals() const
{
    std::string text;
    if (ADSSignals::shared().produceSignalString(text) == 0)
        return {};
    return signalsFromString(text);
}

int ADSRequestPrivate::requestTypeFromString(const std::optional<std::string>& type)
{
    if (!type)
        return 0;
    if (*type == "adnet")
        return 4;
    if (*type == "xnet")
        return 5;
    if (*type == "adtext")
        return 1;
    return 0;
}

bool ADSRequestPrivate::deviceAtLeastMinimumOSMajorVersion(int major, int minor)
{
    int osMajor = 0, osMinor = 0;
    ADSIdentifierUtilities::getOSMajor(&osMajor, &osMinor, nullptr);
    return osMajor > major || (osMajor == major && osMinor >= minor);
}

std::string ADSRequestPrivate::description() const
{
    char head[64];
    std::snprintf(head, sizeof head, "ADSRequest<%p>: ", static_cast<const void*>(this));
    std::string text = head;
    if (gender_ == 1)
        text += "\ngender:Male";
    else if (gender_ == 2)
        text += "\ngender:Female";
    if (birthday_)
        text += "\nbirthday:" + platform::DateFormatter("yyyy-MM-dd HH:mm:ss", platform::DateFormatter::Zone::GMT).format(*birthday_) + " +0000";
    if (location_)
        text += "\nlocation:" + location_->description();
    if (keywords_)
        text += "\nkeywords:" + platform::Value(arrayOfStrings(*keywords_)).debugDescription();
    if (additionalParameters_)
        text += "\nadditionalParameters:" + platform::Value(*additionalParameters_).debugDescription();
    return text;
}
