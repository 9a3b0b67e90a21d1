#pragma once
// Optional outcome of a tracking ping: each method does nothing unless the
// delegate overrides it. It holds no state.

#include "platform/Error.h"
#include "platform/Url.h"
#include <optional>

class ADSClickTracker;

class ADSClickTrackerDelegate {
public:
    virtual ~ADSClickTrackerDelegate() = default;
    // The ping reached its end; `url` is where the redirects led.
    virtual void didRedirect(ADSClickTracker&, const platform::Url& /*url*/) { }
    virtual void didFailWithError(ADSClickTracker&, const std::optional<platform::Error>& /*error*/) { }
};
