#pragma once
// Immutable images loaded from the resources folder ("name.png", with an
// "@2x" variant giving scale 2), optionally made stretchable with end caps.

#include "platform/ui/Geometry.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Image {
public:
    // Null when no such resource can be loaded.
    static std::shared_ptr<const Image> named(const std::string& name);
    static std::shared_ptr<const Image> fromFile(const std::string& path);
    // Encoded image data (PNG and the like) shown at `scale` pixels per point;
    // null when it does not decode.
    static std::shared_ptr<const Image> fromData(const std::vector<uint8_t>& data, float scale = 1);

    // A copy that stretches only between the caps (leftCap, topCap in points).
    std::shared_ptr<const Image> stretchable(int leftCap, int topCap) const;

    Size size() const { return size_; }
    float scale() const { return scale_; }
    int leftCapWidth() const { return leftCap_; }
    int topCapHeight() const { return topCap_; }
    const std::string& name() const { return name_; }
    // The colour of one pixel (pixels, not points); clear outside the image.
    Color pixelColor(int x, int y) const;
    int pixelWidth() const;
    int pixelHeight() const;

    struct Impl;
    const Impl& impl() const { return *impl_; }
    Image(std::string name, Size size, float scale, std::shared_ptr<const Impl> impl);

private:
    std::string name_;
    Size size_;
    float scale_ = 1;
    int leftCap_ = 0, topCap_ = 0;
    std::shared_ptr<const Impl> impl_;
};

}
