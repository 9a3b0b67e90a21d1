#include "platform/Checksum.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace platform;

namespace {

// Bit at a time, straight from the polynomial: slow, and too plain to share
// a mistake with the table or the folding code.
uint32_t bitwiseCrc32(std::string_view bytes)
{
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

std::string randomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& ch : s)
        ch = char(rng());
    return s;
}

}

TEST(Checksum, KnownValues)
{
    // The check value every CRC-32 (zip, PNG) gives for these nine digits.
    EXPECT_EQ(Checksum::crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Checksum::crc32(""), 0u);
    EXPECT_EQ(Checksum::crc32Portable("123456789"), 0xCBF43926u);
}

TEST(Checksum, EveryPathAgreesWithThePolynomialAtEveryLengthAndAlignment)
{
    // Lengths around the 8-, 16- and 64-byte steps and their remainders, at
    // every start offset within a vector load.
    const std::string data = randomBytes(600, 7);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length = 0; offset + length <= data.size(); length += (length < 200 ? 1 : 37)) {
            const std::string_view slice(data.data() + offset, length);
            const uint32_t expected = bitwiseCrc32(slice);
            ASSERT_EQ(Checksum::crc32(slice), expected) << "offset " << offset << " length " << length;
            ASSERT_EQ(Checksum::crc32Portable(slice), expected) << "offset " << offset << " length " << length;
        }
    }
    // A saved game's size, and a run of one byte value (zeros and ones fold
    // differently from noise).
    for (const std::string& big : { randomBytes(1 << 20, 11), std::string(100003, '\0'), std::string(4099, '\xff') })
        EXPECT_EQ(Checksum::crc32(big), bitwiseCrc32(big)) << big.size();
}
