// The two primitives against their standards' own vectors: the RFC 1321 test
// suite for MD5, NIST SP 800-38A F.2.1 and F.2.2 for AES-128 in CBC mode.
#include "platform/net/Crypto.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

using namespace platform;

namespace {

std::string hex(const uint8_t* data, size_t n)
{
    std::string out;
    char buf[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", data[i]);
        out += buf;
    }
    return out;
}

std::string bytes(std::string_view hexText)
{
    std::string out;
    for (size_t i = 0; i + 1 < hexText.size(); i += 2)
        out += char(std::stoi(std::string(hexText.substr(i, 2)), nullptr, 16));
    return out;
}

template<size_t N> std::array<uint8_t, N> array(std::string_view hexText)
{
    std::array<uint8_t, N> out {};
    std::string b = bytes(hexText);
    std::copy(b.begin(), b.end(), out.begin());
    return out;
}

}

TEST(Crypto, Md5Rfc1321TestSuite)
{
    const std::pair<const char*, const char*> suite[] = {
        { "", "d41d8cd98f00b204e9800998ecf8427e" },
        { "a", "0cc175b9c0f1b6a831c399e269772661" },
        { "abc", "900150983cd24fb0d6963f7d28e17f72" },
        { "message digest", "f96b697d7cb7938d525a2f31aaf161d0" },
        { "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b" },
        { "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f" },
        { "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
            "57edf4a22be3c955ac49da2e2107b67a" },
    };
    for (const auto& [message, digest] : suite) {
        Crypto::Md5Digest d = Crypto::md5(message);
        EXPECT_EQ(hex(d.data(), d.size()), digest) << '"' << message << '"';
    }
}

TEST(Crypto, Aes128CbcSp800_38aVectors)
{
    const auto key = array<16>("2b7e151628aed2a6abf7158809cf4f3c");
    const auto iv = array<16>("000102030405060708090a0b0c0d0e0f");
    const std::string plain = "6bc1bee22e409f96e93d7e117393172a" "ae2d8a571e03ac9c9eb76fac45af8e51"
                              "30c81c46a35ce411e5fbc1191a0a52ef" "f69f2445df4f9b17ad2b417be66c3710";
    const std::string cipher = "7649abac8119b246cee98e9b12e9197d" "5086cb9b507219ee95db113a917678b2"
                               "73bed6b8e3c1743b7116e69e22229516" "3ff1caa1681fac09120eca307586e1a7";

    // F.2.1, whole and block by block: each block's IV is the previous ciphertext block.
    auto out = Crypto::aes128CbcEncryptNoPadding(key, iv, bytes(plain));
    ASSERT_TRUE(out);
    EXPECT_EQ(hex(out->data(), out->size()), cipher);
    auto blockIv = iv;
    for (size_t block = 0; block < 4; ++block) {
        auto one = Crypto::aes128CbcEncryptNoPadding(key, blockIv, bytes(plain.substr(block * 32, 32)));
        ASSERT_TRUE(one);
        EXPECT_EQ(hex(one->data(), one->size()), cipher.substr(block * 32, 32)) << "block " << block;
        blockIv = array<16>(cipher.substr(block * 32, 32));
    }
    // F.2.2.
    auto back = Crypto::aes128CbcDecryptNoPadding(key, iv, bytes(cipher));
    ASSERT_TRUE(back);
    EXPECT_EQ(hex(back->data(), back->size()), plain);

    // No padding is ever added, so a partial block is refused.
    EXPECT_FALSE(Crypto::aes128CbcEncryptNoPadding(key, iv, bytes(plain).substr(0, 17)));
    EXPECT_FALSE(Crypto::aes128CbcDecryptNoPadding(key, iv, bytes(cipher).substr(0, 31)));
}
