#include "Request/ADSRequestError.h"

#include "ADSConfiguration.h"
#include "Request/ADSRequestPrivate.h"
#include "Utility/ADSIdentifierUtilities.h"

#include <cstdio>

ADSRequestError ADSRequestError::errorWithCode(long code, const ADSRequestPrivate* request)
{
    return ADSRequestError(code, request);
}

ADSRequestError::ADSRequestError(long errorCode, const ADSRequestPrivate* request)
    : platform::Error(kADSErrorDomain, errorCode, localizedStringForErrorCode(errorCode))
{
    userInfo_.set(kADSErrorDescriptionKey, message);
    userInfo_.set(kADSErrorFailureReasonKey, message);
    if (errorCode == InvalidRequest && request) {
        for (auto& [key, value] : request->parameters())
            userInfo_.set(key, std::move(value));
    }
}

std::string ADSRequestError::localizedStringForErrorCode(long code)
{
    std::string text;
    switch (code) {
    case NoFill:
        text = "No ad to show.";
        break;
    case NetworkError:
        text = "A network error occurred.";
        break;
    case ServerError:
        text = "Server error processing the request.";
        break;
    case OSVersionBelowMinimum: {
        int major = 0, minor = 0, bugFix = 0;
        ADSIdentifierUtilities::getOSMajor(&major, &minor, &bugFix);
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "This device's OS is %i.%i.%i.  It is below the minimum of %i.%i.",
            major, minor, bugFix, 3, 0);
        text = buffer;
        break;
    }
    case Timeout:
        text = "The Ad request was unable to be fulfilled before a timeout occurred.";
        break;
    default:
        text = "Invalid ad request parameter(s).  Check the Xcode console for details.";
        break;
    }
    return "Request Error: " + text;
}
