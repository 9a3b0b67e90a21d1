#include "Request/ADSRequest.h"
#include "Request/ADSRequestPrivate.h"

#include <cstdio>

std::unique_ptr<ADSRequest> ADSRequest::request()
{
    return std::make_unique<ADSRequestPrivate>();
}

const std::string& ADSRequest::sdkVersion()
{
    static const std::string version = [] {
        char text[32];
        std::snprintf(text, sizeof text, "ads-sdk-i-v%d.%d.%d", 4, 1, 0);
        return std::string(text);
    }();
    return version;
}
