#pragma once
// The signals module, reduced to the four entry points the rest of the ad
// library calls: initialisation per request, touch recording, the request
// signal string and the click signal. It gathers only what it is handed (the
// request type, the SDK version, touches) and the caller's stack; it reads no
// other device data and its strings are encoded (URL-safe base64), not enciphered.

#include <cstdint>
#include <string>

class ADSSignals {
public:
    static ADSSignals& shared();

    // Remembers the request type and SDK version for the next signal string.
    // Always 1; the callers ignore the result.
    int initialize(int requestType, const std::string& sdkVersion);
    // Keeps the count of touches and the last one.
    void recordTouch(int tx, int ty, int td);
    // Writes "ms=<token>" into `out` (replacing its contents); non-zero on success.
    int produceSignalString(std::string& out) const;
    // Writes one bare query component "cs<token>" for a click whose "ai" value
    // is given; 0 (and `out` untouched) when the value is empty. The token
    // carries the touches and a short digest of the caller's stack.
    int produceClickSignal(const std::string& ai, std::string& out) const;

    uint32_t touchCount() const { return touchCount_; }
    void reset();

private:
    int requestType_ = 0;
    std::string sdkVersion_;
    uint32_t touchCount_ = 0;
    int lastX_ = 0, lastY_ = 0, lastDuration_ = 0;
};
