#pragma once
// Small helpers shared by the view tests: moving the virtual clock and
// reading a PNG file's size from its header.

#include "platform/Clock.h"
#include "platform/PlatformSession.h"
#include "platform/RunLoop.h"
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace uitest {

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
