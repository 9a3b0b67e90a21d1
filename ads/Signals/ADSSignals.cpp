#include "Signals/ADSSignals.h"
#include "encoding/ADSStackTrace.h"
#include "encoding/ADSStringEncoding.h"
#include "platform/net/Crypto.h"

#include <cstdio>

namespace {
std::string token(const std::string& text)
{
    ADSStringEncoding enc = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding();
    enc.setDoPad(false);
    return enc.encodeString(text);
}

// Eight hex digits of the MD5 of the stack text: the same for every click
// that comes down the same path in one run, different for another path. The
// addresses in the text move with the load address, so it means nothing
// across runs.
std::string stackDigest(const std::string& trace)
{
    platform::Crypto::Md5Digest digest = platform::Crypto::md5(trace);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", digest[0], digest[1], digest[2], digest[3]);
    return hex;
}
}

ADSSignals& ADSSignals::shared()
{
    static ADSSignals instance;
    return instance;
}

int ADSSignals::initialize(int requestType, const std::string& sdkVersion)
{
    requestType_ = requestType;
    sdkVersion_ = sdkVersion;
    return 1;
}

void ADSSignals::recordTouch(int tx, int ty, int td)
{
    ++touchCount_;
    lastX_ = tx;
    lastY_ = ty;
    lastDuration_ = td;
}

int ADSSignals::produceSignalString(std::string& out) const
{
    out = "ms=" + token("v:" + sdkVersion_ + "|t:" + std::to_string(requestType_) + "|n:" + std::to_string(touchCount_));
    return 1;
}

int ADSSignals::produceClickSignal(const std::string& ai, std::string& out) const
{
    if (ai.empty())
        return 0;
    // The token carries no "=" so that it stays one bare query component.
    out = "cs" + token("n:" + std::to_string(touchCount_) + "|x:" + std::to_string(lastX_) + "|y:" + std::to_string(lastY_)
              + "|d:" + std::to_string(lastDuration_) + "|s:" + stackDigest(ADSStackTrace()));
    return 1;
}

void ADSSignals::reset()
{
    *this = ADSSignals();
}
