// CRC-32 by table, one byte at a time: stored files are small.
#include "platform/Checksum.h"

#include <array>

namespace platform::Checksum {

namespace {
constexpr std::array<uint32_t, 256> makeTable()
{
    std::array<uint32_t, 256> table {};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kTable = makeTable();
}

uint32_t crc32(std::string_view bytes)
{
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = kTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

}
