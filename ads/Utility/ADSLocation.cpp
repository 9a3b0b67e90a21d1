#include "Utility/ADSLocation.h"
#include "ADSConfiguration.h"
#include "encoding/ADSStringEncoding.h"
#include "platform/Clock.h"
#include "platform/net/Crypto.h"
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

constexpr float kEpsilon = 1.1920929e-07f;
constexpr const char* kWirePrefix = "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: ";

int32_t truncateToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    double t = std::trunc(v);
    if (t >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (t <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int32_t(t);
}

std::string microseconds(double timestamp)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", timestamp * 1000000.0);
    return buf;
}

std::string webSafe(std::string_view bytes)
{
    ADSStringEncoding enc = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding();
    enc.setDoPad(false);
    return enc.encodeString(bytes);
}

}

bool ADSLocation::isPrecise(float latitude, float longitude)
{
    float la = std::fabs(latitude), lo = std::fabs(longitude);
    return la <= 90.0f && lo <= 180.0f && la > kEpsilon && lo > kEpsilon;
}

std::optional<ADSLocation> ADSLocation::initWithLatitude(float latitude, float longitude, float accuracy)
{
    if (!isPrecise(latitude, longitude))
        return std::nullopt;
    ADSLocation l;
    l.latitude_ = latitude;
    l.longitude_ = longitude;
    l.accuracy_ = accuracy;
    l.timestamp_ = platform::Clock::shared().now();
    return l;
}

std::optional<ADSLocation> ADSLocation::initWithDescription(std::string_view description)
{
    if (description.empty())
        return std::nullopt;
    ADSLocation l;
    l.description_ = std::string(description);
    l.timestamp_ = platform::Clock::shared().now();
    return l;
}

bool ADSLocation::isPreciseLocation() const
{
    return isPrecise(latitude_, longitude_);
}

std::string ADSLocation::description() const
{
    if (description_)
        return *description_;
    if (!isPreciseLocation())
        return {};
    char buf[96];
    std::snprintf(buf, sizeof buf, "%f,%f", double(latitude_), double(longitude_));
    return buf;
}

bool ADSLocation::isEqual(const ADSLocation& other) const
{
    if (isPreciseLocation() != other.isPreciseLocation())
        return false;
    if (!isPreciseLocation())
        return description() == other.description();
    return std::fabs(latitude_ - other.latitude_) < kEpsilon && std::fabs(longitude_ - other.longitude_) < kEpsilon
        && std::fabs(accuracy_ - other.accuracy_) < kEpsilon;
}

ADSLocation ADSLocation::copy() const
{
    std::optional<ADSLocation> made = isPreciseLocation() ? initWithLatitude(latitude_, longitude_, accuracy_)
                                                          : initWithDescription(description());
    ADSLocation c = made ? *made : *this;
    c.timestamp_ = timestamp_;
    return c;
}

std::string ADSLocation::plainText() const
{
    std::string text = kWirePrefix + microseconds(timestamp_);
    if (!isPreciseLocation()) {
        std::string desc = description();
        for (char& c : desc)
            if (c == '"')
                c = '\'';
        text += " loc: \"";
        text += desc;
        text += '"';
        return text;
    }
    char buf[160];
    std::snprintf(buf, sizeof buf, " latlng <latitude_e7: %ld longitude_e7: %ld> radius: %ld",
        long(truncateToInt32(double(latitude_) * 10000000.0)),
        long(truncateToInt32(double(longitude_) * 10000000.0)),
        long(truncateToInt32(double(accuracy_) * 1000.0)));
    return text + buf;
}

std::string ADSLocation::padToBlock(std::string text)
{
    size_t n = 16 - text.size() % 16;
    text.append(n, char(n));
    return text;
}

std::string ADSLocation::initializationVector(double t)
{
    std::string iv;
    iv.reserve(16);
    for (int k = 1; k <= 4; ++k) {
        uint32_t w = uint32_t(truncateToInt32(t * k));
        for (int b = 0; b < 4; ++b)
            iv.push_back(char((w >> (8 * b)) & 0xff));
    }
    return iv;
}

std::optional<std::string> ADSLocation::wireRepresentation() const
{
    if (!isPreciseLocation())
        return "a+" + webSafe(plainText());
    std::string padded = padToBlock(plainText());
    std::string iv = initializationVector(timestamp_);
    std::array<uint8_t, 16> ivBytes {};
    for (size_t i = 0; i < 16; ++i)
        ivBytes[i] = uint8_t(iv[i]);
    auto cipher = platform::Crypto::aes128CbcEncryptNoPadding(kADSLocationKey, ivBytes, padded);
    if (!cipher)
        return std::nullopt;
    std::string buffer = iv;
    buffer.append(reinterpret_cast<const char*>(cipher->data()), cipher->size());
    return "e1+" + webSafe(buffer);
}
