#pragma once
// Small helpers shared by the view tests: moving the virtual clock and
// reading a PNG file's size from its header.

#include "platform/Clock.h"
#include "platform/PlatformSession.h"
#include "platform/RunLoop.h"
#include "platform/ui/Image.h"
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace uitest {

// The box around the dark pixels ("ink": text and lines drawn in black)
// inside a rectangle of an image; empty when there is none.
struct InkBox {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive
    bool empty() const { return right < left; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

inline InkBox inkBox(const platform::Image& image, int x0, int y0, int x1, int y1)
{
    InkBox box { x1, y1, x0 - 1, y0 - 1 };
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            platform::Color c = image.pixelColor(x, y);
            if (c.alpha > 0.5f && 0.3f * c.red + 0.59f * c.green + 0.11f * c.blue < 0.35f) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    return box;
}

inline void advance(double seconds)
{
    auto* session = platform::PlatformSession::current();
    ASSERT_NE(session, nullptr);
    ASSERT_NE(session->virtualClock(), nullptr);
    session->virtualClock()->advance(seconds);
}

struct PngSize {
    bool valid = false;
    uint32_t width = 0, height = 0;
};

inline PngSize pngSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return {};
    static const unsigned char signature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
    for (int i = 0; i < 8; ++i)
        if (head[i] != signature[i])
            return {};
    if (std::string(reinterpret_cast<char*>(head + 12), 4) != "IHDR")
        return {};
    auto be = [&](int at) {
        return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 | head[at + 3];
    };
    return { true, be(16), be(20) };
}

}
