#include "encoding/ADSBase64Simd.h"
#include "encoding/ADSStringEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<ADSBase64Simd::Level> levels()
{
    std::vector<ADSBase64Simd::Level> out;
    for (auto level : { ADSBase64Simd::Level::Scalar, ADSBase64Simd::Level::SSSE3, ADSBase64Simd::Level::AVX2 }) {
        if (level <= ADSBase64Simd::supported())
            out.push_back(level);
    }
    return out;
}

// A shuffled alphabet of printable characters, with synonyms, ignored
// characters and a padding character of its own.
ADSStringEncoding shuffledAlphabet(std::mt19937& rng)
{
    std::string chars;
    for (char c = '!'; c <= '~'; ++c)
        chars.push_back(c);
    std::shuffle(chars.begin(), chars.end(), rng);
    auto enc = ADSStringEncoding::initWithString(chars.substr(0, 64));
    EXPECT_TRUE(enc);
    const std::string rest = chars.substr(64);
    EXPECT_TRUE(enc->setPaddingChar(rest[0]));
    enc->setDoPad(true);
    enc->addDecodeSynonyms(std::string { chars[5], rest[1], chars[40], rest[2] });
    EXPECT_TRUE(enc->ignoreCharacters(std::string { rest[3], ' ', '\n' }));
    return *enc;
}

}

// Every vector level encodes to the same text as the plain code, and decodes
// every text, whole or damaged, to the same bytes or the same failure.
TEST(ADSBase64Simd, EveryLevelAgreesWithScalar)
{
    std::mt19937 rng(20240229);
    std::vector<ADSStringEncoding> encodings = { ADSStringEncoding::rfc4648Base64StringEncoding(),
        ADSStringEncoding::rfc4648Base64WebsafeStringEncoding(), shuffledAlphabet(rng) };
    encodings[1].setDoPad(false);
    encodings[0].ignoreCharacters("\r\n");
    const auto available = levels();
    int decoded = 0, refused = 0;
    for (ADSStringEncoding& enc : encodings) {
        SCOPED_TRACE(enc.description());
        ADSStringEncoding scalar = enc;
        scalar.setVectorLevel(ADSBase64Simd::Level::Scalar);
        // Bytes that mean something to some encoding, and some that mean nothing.
        std::string edits = enc.encode(platform::Bytes { 0xF3, 0x7A, 0x01, 0xFF, 0x00, 0x9C });
        edits += std::string("=\n\r -_+/.~\x01\x1f\x7f", 14) + "\x80\xc3\xff";
        for (int trial = 0; trial < 1500; ++trial) {
            // Lengths around every block size of every level, and longer.
            const size_t n = trial < 300 ? size_t(trial) : size_t(rng() % 2000);
            platform::Bytes data(n);
            for (auto& b : data)
                b = uint8_t(rng());
            const std::string text = scalar.encode(data);
            ASSERT_EQ(scalar.decode(text), data) << n;

            std::string damaged = text;
            if (!damaged.empty() && trial % 4 != 0) {
                const int count = 1 + int(rng() % 3);
                for (int k = 0; k < count; ++k) {
                    const size_t at = rng() % damaged.size();
                    const char c = edits[rng() % edits.size()];
                    if (rng() % 2)
                        damaged[at] = c;
                    else
                        damaged.insert(damaged.begin() + ptrdiff_t(at), c);
                }
            }
            const auto expected = scalar.decode(damaged);
            (expected ? decoded : refused)++;
            for (auto level : available) {
                enc.setVectorLevel(level);
                ASSERT_EQ(enc.encode(data), text) << "level " << int(level) << " n " << n;
                ASSERT_EQ(enc.decode(damaged), expected) << "level " << int(level) << " text " << damaged;
            }
        }
    }
    // Both outcomes were compared, not just one.
    EXPECT_GT(decoded, 1000);
    EXPECT_GT(refused, 1000);
    if (available.size() == 1)
        GTEST_SKIP() << "no vector instructions here: only the plain code was compared with itself";
}
