// The errors reported to banner delegates: texts, domain, and the parameters
// an invalid request carries.
#include "Request/ADSRequestError.h"
#include "ADSConfiguration.h"
#include "Request/ADSRequestPrivate.h"
#include "Statistics/ADSStatistics.h"
#include "platform/net/Device.h"
#include <gtest/gtest.h>

namespace {

TEST(ADSRequestError, TextsAndDomain)
{
    platform::Device::current().overrideSystemVersion("2.2.1");
    ADSRequestError tooOld = ADSRequestError::errorWithCode(4, nullptr);
    platform::Device::current().overrideSystemVersion(std::nullopt);
    EXPECT_EQ(tooOld.message, "Request Error: This device's OS is 2.2.1.  It is below the minimum of 3.0.");
    EXPECT_EQ(tooOld.domain, kADSErrorDomain);
    EXPECT_EQ(tooOld.code, 4);
    EXPECT_EQ(tooOld.userInfo().get(kADSErrorDescriptionKey).asString(), tooOld.message);
    EXPECT_EQ(tooOld.userInfo().get(kADSErrorFailureReasonKey).asString(), tooOld.message);

    EXPECT_EQ(ADSRequestError::localizedStringForErrorCode(1), "Request Error: No ad to show.");
    EXPECT_EQ(ADSRequestError::localizedStringForErrorCode(5),
        "Request Error: The Ad request was unable to be fulfilled before a timeout occurred.");
    EXPECT_EQ(ADSRequestError::localizedStringForErrorCode(0),
        "Request Error: Invalid ad request parameter(s).  Check the Xcode console for details.");
    EXPECT_EQ(ADSRequestError::localizedStringForErrorCode(99), ADSRequestError::localizedStringForErrorCode(0));
    EXPECT_EQ(ADSRequestError::localizedStringForErrorCode(-1), ADSRequestError::localizedStringForErrorCode(0));
}

TEST(ADSRequestError, OnlyAnInvalidRequestCarriesTheParametersAndReportingClearsStatistics)
{
    ADSRequestPrivate request;
    request.setCounter(6);
    request.addKeyword("dice");

    ADSRequestError network = ADSRequestError::errorWithCode(2, &request);
    EXPECT_FALSE(network.userInfo().contains("js"));

    ADSStatistics::sharedStatistics().incrementClickCount();
    ADSRequestError invalid = ADSRequestError::errorWithCode(0, &request);
    EXPECT_EQ(invalid.userInfo().get("preqs").asInt64(), 6);
    EXPECT_EQ(invalid.userInfo().get("kw"), platform::Value(platform::Array { "dice" }));
    EXPECT_EQ(invalid.userInfo().get("pcc").asInt64(), 1);
    EXPECT_FALSE(ADSStatistics::sharedStatistics().parameters().contains("pcc"))
        << "building the error reported the click count, as a request would";
}

}
