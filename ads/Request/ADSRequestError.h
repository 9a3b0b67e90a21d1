#pragma once
// The error the banner reports to its delegate: a code of the ad library's
// domain with its fixed text, and for an invalid request the parameters that
// were sent. It is only a value; nothing is reported by making one.

#include "platform/Error.h"
#include "platform/Value.h"

class ADSRequestPrivate;

// The user-information keys under which the error's text is stored, for
// readers that look it up by key rather than through the message.
inline constexpr const char* kADSErrorDescriptionKey = "NSLocalizedDescription";
inline constexpr const char* kADSErrorFailureReasonKey = "NSLocalizedFailureReason";

class ADSRequestError : public platform::Error {
public:
    enum Code : long {
        InvalidRequest = 0,
        NoFill = 1,
        NetworkError = 2,
        ServerError = 3,
        OSVersionBelowMinimum = 4,
        Timeout = 5,
    };

    // An invalid-request error (code 0) carries the request's whole parameter
    // dictionary; building it reports the statistics, as a request would.
    static ADSRequestError errorWithCode(long code, const ADSRequestPrivate* request);
    // "Request Error: " and the code's text; unknown codes read as code 0.
    static std::string localizedStringForErrorCode(long code);

    const platform::Dictionary& userInfo() const { return userInfo_; }

private:
    ADSRequestError(long code, const ADSRequestPrivate* request);
    platform::Dictionary userInfo_;
};
