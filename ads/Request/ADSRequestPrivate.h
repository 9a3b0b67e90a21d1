#pragma once
// The request behind every ADSRequest: keeps the targeting the application
// set and turns it, with the device and statistics parameters, into the flat
// parameter dictionary that the ad-building script receives. It does not send
// the request; the banner does.

#include "Request/ADSRequest.h"

class ADSRequestPrivate final : public ADSRequest {
public:
    ADSRequestPrivate() = default;
    // Takes the flags and shares the object fields; not the counter.
    ADSRequestPrivate(const ADSRequestPrivate& other);
    ADSRequestPrivate& operator=(const ADSRequestPrivate&) = delete;

    const std::shared_ptr<const std::vector<std::string>>& testDevices() const override { return testDevices_; }
    void setTestDevices(std::shared_ptr<const std::vector<std::string>> devices) override { testDevices_ = std::move(devices); }
    bool isTesting() const override { return testing_; }
    void setTesting(bool testing) override { testing_ = testing; }
    int32_t gender() const override { return gender_; }
    void setGender(int32_t gender) override { gender_ = gender; }
    const std::shared_ptr<const platform::Date>& birthday() const override { return birthday_; }
    void setBirthday(std::shared_ptr<const platform::Date> birthday) override { birthday_ = std::move(birthday); }
    void setBirthdayWithMonth(int32_t month, int32_t day, int32_t year) override;
    void setLocationWithLatitude(float latitude, float longitude, float accuracy) override;
    void setLocationWithDescription(const std::string& description) override;
    const std::shared_ptr<std::vector<std::string>>& keywords() const override { return keywords_; }
    void setKeywords(std::shared_ptr<std::vector<std::string>> keywords) override { keywords_ = std::move(keywords); }
    void addKeyword(const std::string& keyword) override;
    const std::shared_ptr<const platform::Dictionary>& additionalParameters() const override
    {
        return additionalParameters_;
    }
    void setAdditionalParameters(std::shared_ptr<const platform::Dictionary> parameters) override
    {
        additionalParameters_ = std::move(parameters);
    }
    std::unique_ptr<ADSRequestPrivate> copy() const override;
    std::string description() const override;

    const std::shared_ptr<const ADSLocation>& location() const { return location_; }
    void setLocation(std::shared_ptr<const ADSLocation> location) { location_ = std::move(location); }
    bool isInterstitialAd() const { return interstitialAd_; }
    void setInterstitialAd(bool interstitial) { interstitialAd_ = interstitial; }
    // This request's number among all ad requests of the process, sent as "preqs".
    int32_t counter() const { return counter_; }
    void setCounter(int32_t counter) { counter_ = counter; }

    // "m", "f" or nothing.
    std::optional<std::string> genderString() const;
    // The birthday as yyyyMMdd in local time.
    std::optional<std::string> birthdayString() const;
    // The whole parameter dictionary. Building it reports (and so clears) the
    // statistics gathered since the previous request.
    platform::Dictionary parameters() const;
    // At most one entry, from the signals module's "key=value" string.
    platform::Dictionary spamSignals() const;
    static platform::Dictionary signalsFromString(const std::string& text);

    // "adnet" 4, "xnet" 5, "adtext" 1, anything else 0 (exact spelling).
    static int requestTypeFromString(const std::optional<std::string>& type);
    static bool deviceAtLeastMinimumOSMajorVersion(int major, int minor);

private:
    std::shared_ptr<const std::vector<std::string>> testDevices_;
    bool testing_ = false;
    std::shared_ptr<const platform::Dictionary> additionalParameters_;
    int32_t gender_ = 0;
    std::shared_ptr<const platform::Date> birthday_;
    std::shared_ptr<const ADSLocation> location_;
    std::shared_ptr<std::vector<std::string>> keywords_;
    bool interstitialAd_ = false;
    int32_t counter_ = 0;
};
