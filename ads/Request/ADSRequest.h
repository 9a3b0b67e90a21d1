#pragma once
// What an application tells the banner about one ad request: test devices,
// targeting (gender, birthday, location, keywords) and free extra parameters.
// It is an interface only: every request is an ADSRequestPrivate, made by
// request(); it builds no parameters and sends nothing itself.

#include "Utility/ADSLocation.h"
#include "platform/Value.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ADSRequestPrivate;

class ADSRequest {
public:
    // A new, empty request.
    static std::unique_ptr<ADSRequest> request();
    // "ads-sdk-i-v4.1.0", built once.
    static const std::string& sdkVersion();

    virtual ~ADSRequest() = default;
    ADSRequest(const ADSRequest&) = delete;
    ADSRequest& operator=(const ADSRequest&) = delete;

    // The object fields (test devices, birthday, location, keywords, extra
    // parameters) are held by shared reference, never copied: a request and
    // its copies share them, so the application's later changes to a keyword
    // array reach the banner's copy too.

    // Identifiers of the devices that get test ads.
    virtual const std::shared_ptr<const std::vector<std::string>>& testDevices() const = 0;
    virtual void setTestDevices(std::shared_ptr<const std::vector<std::string>> devices) = 0;
    // Deprecated in favour of testDevices.
    virtual bool isTesting() const = 0;
    virtual void setTesting(bool testing) = 0;
    // 1 male, 2 female; anything else is "not given".
    virtual int32_t gender() const = 0;
    virtual void setGender(int32_t gender) = 0;
    virtual const std::shared_ptr<const platform::Date>& birthday() const = 0;
    virtual void setBirthday(std::shared_ptr<const platform::Date> birthday) = 0;
    // The date of that calendar day (Gregorian calendar, local midnight);
    // out-of-range months and days roll over as a calendar would.
    virtual void setBirthdayWithMonth(int32_t month, int32_t day, int32_t year) = 0;
    // A location that cannot be made (imprecise coordinates, an empty
    // description) leaves the request without one.
    virtual void setLocationWithLatitude(float latitude, float longitude, float accuracy) = 0;
    virtual void setLocationWithDescription(const std::string& description) = 0;
    virtual const std::shared_ptr<std::vector<std::string>>& keywords() const = 0;
    virtual void setKeywords(std::shared_ptr<std::vector<std::string>> keywords) = 0;
    // Appends to the keyword array (duplicates kept), making one when there
    // is none; an empty keyword is ignored.
    virtual void addKeyword(const std::string& keyword) = 0;
    // Passed on whole, nested under "extras".
    virtual const std::shared_ptr<const platform::Dictionary>& additionalParameters() const = 0;
    virtual void setAdditionalParameters(std::shared_ptr<const platform::Dictionary> parameters) = 0;

    // A copy with its own flags and a request counter of 0, sharing the
    // object fields.
    virtual std::unique_ptr<ADSRequestPrivate> copy() const = 0;
    // Debug text: class, address and the targeting that is set.
    virtual std::string description() const = 0;

protected:
    ADSRequest() = default;
};
