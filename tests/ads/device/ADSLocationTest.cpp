// Locations: what counts as precise, equality, copies, and the wire form with
// its padding, initialization vector and AES-128-CBC ciphertext.
#include "Utility/ADSLocation.h"
#include "ADSConfiguration.h"
#include "encoding/ADSStringEncoding.h"
#include "platform/Clock.h"
#include "platform/net/Crypto.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {

std::string hex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::string decodeWebSafe(std::string_view text)
{
    auto bytes = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding().decode(text);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<undecodable>");
}

TEST(ADSLocation, PreciseOnlyAwayFromTheAxesAndInsideTheRange)
{
    EXPECT_TRUE(ADSLocation::initWithLatitude(48.8566f, 2.3522f, 10).has_value());
    EXPECT_TRUE(ADSLocation::initWithLatitude(-90, 180, 0).has_value());
    EXPECT_FALSE(ADSLocation::initWithLatitude(0, 10, 5).has_value()) << "on the equator";
    EXPECT_FALSE(ADSLocation::initWithLatitude(10, 0, 5).has_value()) << "on the prime meridian";
    EXPECT_FALSE(ADSLocation::initWithLatitude(1e-8f, 10, 5).has_value());
    EXPECT_FALSE(ADSLocation::initWithLatitude(90.001f, 10, 5).has_value());
    EXPECT_FALSE(ADSLocation::initWithLatitude(10, -180.01f, 5).has_value());
    EXPECT_FALSE(ADSLocation::initWithLatitude(std::nanf(""), 10, 5).has_value());
    EXPECT_FALSE(ADSLocation::initWithDescription("").has_value());

    auto l = ADSLocation::initWithLatitude(48.5f, -2.25f, 3);
    EXPECT_EQ(l->description(), "48.500000,-2.250000");
    EXPECT_EQ(l->timestamp(), platform::Clock::shared().now());
    auto d = ADSLocation::initWithDescription("Lyon");
    EXPECT_FALSE(d->isPreciseLocation());
    EXPECT_EQ(d->description(), "Lyon");
}

TEST(ADSLocation, EqualityAndCopies)
{
    auto a = ADSLocation::initWithLatitude(10.5f, 20.25f, 7);
    auto b = ADSLocation::initWithLatitude(10.5f, 20.25f, 7);
    auto c = ADSLocation::initWithLatitude(10.5f, 20.25f, 8);
    auto p = ADSLocation::initWithDescription("10.500000,20.250000");
    EXPECT_TRUE(a->isEqual(*b));
    EXPECT_FALSE(a->isEqual(*c));
    EXPECT_FALSE(a->isEqual(*p)) << "same text, different preciseness";
    EXPECT_TRUE(p->isEqual(*ADSLocation::initWithDescription("10.500000,20.250000")));

    a->setTimestamp(1234.5);
    ADSLocation copy = a->copy();
    EXPECT_TRUE(copy.isEqual(*a));
    EXPECT_EQ(copy.timestamp(), 1234.5);
    p->setTimestamp(99);
    EXPECT_EQ(p->copy().timestamp(), 99);
    EXPECT_EQ(p->copy().description(), "10.500000,20.250000");
}

TEST(ADSLocation, PaddingAddsOneToSixteenBytesOfTheirOwnCount)
{
    std::string t100 = ADSLocation::padToBlock(std::string(100, 'x'));
    ASSERT_EQ(t100.size(), 112u);
    EXPECT_EQ(t100.substr(100), std::string(12, '\x0c'));
    std::string t112 = ADSLocation::padToBlock(std::string(112, 'x'));
    ASSERT_EQ(t112.size(), 128u);
    EXPECT_EQ(t112.substr(112), std::string(16, '\x10'));
    std::string t15 = ADSLocation::padToBlock(std::string(15, 'x'));
    EXPECT_EQ(t15, std::string(15, 'x') + '\x01');
}

TEST(ADSLocation, InitializationVectorWordsAreMultiplesOfTheSecondsClamped)
{
    // 500000000, 1000000000, 1500000000, 2000000001, little-endian.
    EXPECT_EQ(hex(ADSLocation::initializationVector(500000000.25)), "0065cd1d00ca9a3b002f685901943577");
    // Past 2^31 - 1 every word stops at 0x7fffffff.
    EXPECT_EQ(hex(ADSLocation::initializationVector(1300000000.5)), "006d7c4dffffff7fffffff7fffffff7f");
    EXPECT_EQ(hex(ADSLocation::initializationVector(-3.9)), "fdfffffff9fffffff5fffffff1ffffff");
}

TEST(ADSLocation, CoordinatesAreEncipheredToAKnownCiphertext)
{
    auto l = ADSLocation::initWithLatitude(48.8566f, 2.3522f, 25);
    ASSERT_TRUE(l);
    l->setTimestamp(500000000.25);
    const std::string text = "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: 500000000250000 "
                             "latlng <latitude_e7: 488566017 longitude_e7: 23522000> radius: 25000";
    ASSERT_EQ(l->plainText(), text);
    ASSERT_EQ(text.size(), 159u); // so one padding byte of value 1

    // Computed independently from the padded text with the command-line tool:
    //   printf '%s\001' "$TEXT" > plain.bin
    //   openssl enc -aes-128-cbc -nopad -K 7a31c40e955b22f846d10b8e63a719ec
    //       -iv 0065cd1d00ca9a3b002f685901943577 -in plain.bin | xxd -p   (one line)
    const std::string expectedCipher =
        "d925cc3303ab37d88560e8af1f306916d4d8b1127ebc8bfb6f330926f728cb6c4a4a1723ed8a18251765befb318067042c68dc9bb"
        "55405d8558a680e3b10024421670026943683f884e4d17b27de96d5b1c5eef9f16f916f70ff59b89d279d42fb3783a7da11b1848c4"
        "80835baf4f764f22a7e73d00d2766c17b35bf7cbbcfd15c471522c41c371a33dca5c3bef1755c254731044380d6faa9bb12c7572cdce5";
    ASSERT_EQ(hex(std::string(kADSLocationKey.begin(), kADSLocationKey.end())), "7a31c40e955b22f846d10b8e63a719ec")
        << "the key changed: recompute the ciphertext above";

    std::optional<std::string> wire = l->wireRepresentation();
    ASSERT_TRUE(wire);
    ASSERT_EQ(wire->rfind("e1+", 0), 0u);
    EXPECT_EQ(wire->find('='), std::string::npos) << "unpadded";
    EXPECT_EQ(wire->find_first_of("+/", 3), std::string::npos) << "URL-safe alphabet";
    std::string buffer = decodeWebSafe(std::string_view(*wire).substr(3));
    EXPECT_EQ(hex(buffer), "0065cd1d00ca9a3b002f685901943577" + expectedCipher);

    // And it deciphers back to the padded text.
    std::array<uint8_t, 16> iv {};
    std::copy(buffer.begin(), buffer.begin() + 16, iv.begin());
    auto plain = platform::Crypto::aes128CbcDecryptNoPadding(kADSLocationKey, iv, std::string_view(buffer).substr(16));
    ASSERT_TRUE(plain);
    EXPECT_EQ(std::string(plain->begin(), plain->end()), text + '\x01');
}

TEST(ADSLocation, ExtremeCoordinatesAndAccuracyAreClampedInTheText)
{
    auto l = ADSLocation::initWithLatitude(-89.9999f, 179.99f, 3e9f);
    l->setTimestamp(1);
    EXPECT_NE(l->plainText().find("latlng <latitude_e7: -899999008 longitude_e7: 1799900054> radius: 2147483647"),
        std::string::npos)
        << l->plainText();
}

TEST(ADSLocation, DescriptionsGoOutInClearWithQuotesReplaced)
{
    auto l = ADSLocation::initWithDescription("Caf\xc3\xa9 \"Le Zinc\", Paris");
    l->setTimestamp(1300000000.5);
    std::optional<std::string> wire = l->wireRepresentation();
    ASSERT_TRUE(wire);
    ASSERT_EQ(wire->rfind("a+", 0), 0u);
    EXPECT_EQ(decodeWebSafe(std::string_view(*wire).substr(2)),
        "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: 1300000000500000 loc: "
        "\"Caf\xc3\xa9 'Le Zinc', Paris\"");
}

}
