#pragma once
// A location an application attaches to an ad request: coordinates or a place
// description, stamped with its creation time, and its wire form (enciphered
// for coordinates). It does not locate anything itself.

#include <optional>
#include <string>
#include <string_view>

class ADSLocation {
public:
    // None when the coordinates are not precise (see isPreciseLocation).
    static std::optional<ADSLocation> initWithLatitude(float latitude, float longitude, float accuracy);
    // None for an empty description.
    static std::optional<ADSLocation> initWithDescription(std::string_view description);

    float latitude() const { return latitude_; }
    float longitude() const { return longitude_; }
    float accuracy() const { return accuracy_; }
    // Seconds since 1970.
    double timestamp() const { return timestamp_; }
    void setTimestamp(double t) { timestamp_ = t; }

    bool isPreciseLocation() const;
    static bool isPrecise(float latitude, float longitude);
    std::string description() const;
    bool isEqual(const ADSLocation& other) const;
    bool operator==(const ADSLocation& other) const { return isEqual(other); }
    ADSLocation copy() const;

    // "a+..." for a description, "e1+..." for enciphered coordinates; none
    // when the cipher fails.
    std::optional<std::string> wireRepresentation() const;

    // The clear text of the wire form before padding and enciphering.
    std::string plainText() const;
    // Appends n bytes of value n (1 to 16) to reach a multiple of 16.
    static std::string padToBlock(std::string text);
    // Four little-endian 32-bit words t, 2t, 3t, 4t (truncated, clamped).
    static std::string initializationVector(double timestampSeconds);

private:
    ADSLocation() = default;
    float latitude_ = 0;
    float longitude_ = 0;
    float accuracy_ = 0;
    std::optional<std::string> description_;
    double timestamp_ = 0;
};
