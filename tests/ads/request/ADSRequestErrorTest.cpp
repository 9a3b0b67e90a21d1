// The errors reported to banner delegates: texts, and the parameters an
// invalid request carries.
#include "Request/ADSRequestError.h"
#include "Request/ADSRequestPrivate.h"
#include "Statistics/ADSStatistics.h"
#include "platform/net/Device.h"
#include <gtest/gtest.h>

namespace {

TEST(ADSRequestError, TextsAndTheParametersOfAnInvalidRequest)
{
    platform::Device::current().overrideSystemVersion("2.2.1");
    ADSRequestError tooOld = ADSRequestError::errorWithCode(4, nullptr);
    platform::Device::current().overrideSystemVersion(std::nullopt);
    EXPECT_EQ(tooOld.message, "Request Error: This device's OS is 2.2.1.  It is below the minimum of 3.0.");
    EXPECT_EQ(tooOld.userInfo().get(kADSErrorFailureReasonKey).asString(), tooOld.message);
    EXPECT_EQ(ADSRequestError::localizedStringForErrorCode(99), ADSRequestError::localizedStringForErrorCode(0));

    ADSRequestPrivate request;
    request.setCounter(6);
    EXPECT_FALSE(ADSRequestError::errorWithCode(2, &request).userInfo().contains("preqs"));
    ADSStatistics::sharedStatistics().incrementClickCount();
    ADSRequestError invalid = ADSRequestError::errorWithCode(0, &request);
    EXPECT_EQ(invalid.userInfo().get("preqs").asInt64(), 6);
    EXPECT_EQ(invalid.userInfo().get("pcc").asInt64(), 1);
    EXPECT_FALSE(ADSStatistics::sharedStatistics().parameters().contains("pcc"))
        << "building the error reported the click count, as a request would";
}

}
