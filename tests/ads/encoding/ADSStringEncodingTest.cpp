#include "encoding/ADSStringEncoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

platform::Bytes bytesOf(std::string_view s)
{
    return platform::Bytes(s.begin(), s.end());
}

struct Vector {
    const char* plain;
    const char* padded;
};

// RFC 4648 section 10, plus independently computed Crockford and binary forms.
void checkVectors(ADSStringEncoding enc, const std::vector<Vector>& vectors, const char* name)
{
    for (const auto& v : vectors) {
        SCOPED_TRACE(std::string(name) + " of \"" + v.plain + "\"");
        enc.setDoPad(true);
        EXPECT_EQ(enc.encodeString(v.plain), v.padded);
        std::string bare = v.padded;
        while (!bare.empty() && bare.back() == '=')
            bare.pop_back();
        enc.setDoPad(false);
        EXPECT_EQ(enc.encodeString(v.plain), bare);
        // Decoding takes the text with or without its padding.
        EXPECT_EQ(enc.stringByDecoding(v.padded), std::optional<std::string>(v.plain));
        EXPECT_EQ(enc.stringByDecoding(bare), std::optional<std::string>(v.plain));
    }
}

}

TEST(ADSStringEncoding, Rfc4648VectorsForEveryAlphabet)
{
    checkVectors(ADSStringEncoding::rfc4648Base64StringEncoding(),
        { { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" }, { "foob", "Zm9vYg==" },
            { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" } },
        "base64");
    checkVectors(ADSStringEncoding::rfc4648Base64WebsafeStringEncoding(),
        { { "f", "Zg==" }, { "fo", "Zm8=" }, { "foobar", "Zm9vYmFy" } }, "base64url");
    checkVectors(ADSStringEncoding::rfc4648Base32StringEncoding(),
        { { "", "" }, { "f", "MY======" }, { "fo", "MZXQ====" }, { "foo", "MZXW6===" }, { "foob", "MZXW6YQ=" },
            { "fooba", "MZXW6YTB" }, { "foobar", "MZXW6YTBOI======" } },
        "base32");
    checkVectors(ADSStringEncoding::rfc4648Base32HexStringEncoding(),
        { { "", "" }, { "f", "CO======" }, { "fo", "CPNG====" }, { "foo", "CPNMU===" }, { "foob", "CPNMUOG=" },
            { "fooba", "CPNMUOJ1" }, { "foobar", "CPNMUOJ1E8======" } },
        "base32hex");
    checkVectors(ADSStringEncoding::hexStringEncoding(),
        { { "", "" }, { "f", "66" }, { "fo", "666F" }, { "foo", "666F6F" }, { "foob", "666F6F62" },
            { "fooba", "666F6F6261" }, { "foobar", "666F6F626172" } },
        "hex");
    checkVectors(ADSStringEncoding::crockfordBase32StringEncoding(),
        { { "f", "CR" }, { "fo", "CSQG" }, { "foo", "CSQPY" }, { "foob", "CSQPYRG" }, { "fooba", "CSQPYRK1" },
            { "foobar", "CSQPYRK1E8" } },
        "crockford");
    checkVectors(ADSStringEncoding::binaryStringEncoding(), { { "f", "01100110" }, { "fo", "0110011001101111" } },
        "binary");
}

TEST(ADSStringEncoding, StandardAndWebsafeDifferOnlyInTwoDigits)
{
    const platform::Bytes b = { 0xfb, 0xff };
    EXPECT_EQ(ADSStringEncoding::rfc4648Base64StringEncoding().encode(b), "+/8=");
    EXPECT_EQ(ADSStringEncoding::rfc4648Base64WebsafeStringEncoding().encode(b), "-_8=");
    EXPECT_FALSE(ADSStringEncoding::rfc4648Base64WebsafeStringEncoding().decode("+/8="));
    EXPECT_FALSE(ADSStringEncoding::rfc4648Base64StringEncoding().decode("-_8="));
}

TEST(ADSStringEncoding, PaddingDefaultsOfTheClassOperations)
{
    EXPECT_TRUE(ADSStringEncoding::rfc4648Base64StringEncoding().doPad());
    EXPECT_TRUE(ADSStringEncoding::rfc4648Base32HexStringEncoding().doPad());
    EXPECT_FALSE(ADSStringEncoding::crockfordBase32StringEncoding().doPad());
    EXPECT_FALSE(ADSStringEncoding::hexStringEncoding().doPad());
    EXPECT_FALSE(ADSStringEncoding::binaryStringEncoding().doPad());
    // Without a padding character, asking for padding changes nothing.
    auto hex = ADSStringEncoding::hexStringEncoding();
    hex.setDoPad(true);
    EXPECT_EQ(hex.encodeString("f"), "66");
    EXPECT_EQ(ADSStringEncoding::rfc4648Base64StringEncoding().padLen(), 4);
    EXPECT_EQ(ADSStringEncoding::rfc4648Base32StringEncoding().padLen(), 8);
    EXPECT_EQ(hex.padLen(), 2);
    EXPECT_EQ(ADSStringEncoding::binaryStringEncoding().padLen(), 8);
}

TEST(ADSStringEncoding, DigestLengthsUnpaddedAndPadded)
{
    // MD5 of "tolvane", from Python's hashlib.
    const platform::Bytes digest = { 0x4d, 0x26, 0x5f, 0x48, 0xdb, 0xbb, 0x7a, 0xb9, 0x85, 0x0f, 0x91, 0xa3, 0x3b,
        0x27, 0xf0, 0xe9 };
    auto enc = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding();
    enc.setDoPad(false);
    EXPECT_EQ(enc.encode(digest), "TSZfSNu7ermFD5GjOyfw6Q");
    enc.setDoPad(true);
    EXPECT_EQ(enc.encode(digest), "TSZfSNu7ermFD5GjOyfw6Q==");
    EXPECT_EQ(enc.decode("TSZfSNu7ermFD5GjOyfw6Q"), digest);
}

TEST(ADSStringEncoding, DecodingFailures)
{
    const auto b64 = ADSStringEncoding::rfc4648Base64StringEncoding();
    EXPECT_FALSE(b64.decode("Zm9v!")) << "unknown character";
    EXPECT_FALSE(b64.decode("Zg==Zg==")) << "data after padding";
    EXPECT_FALSE(b64.decode("Zm9v\xc3\xa9")) << "non-ASCII";
    EXPECT_FALSE(b64.decode("Zh==")) << "leftover bits 0001";
    EXPECT_FALSE(b64.decode("Zh")) << "leftover bits 0001, unpadded";
    EXPECT_FALSE(b64.decode("Zm9vY")) << "six leftover bits";
    // Padding neither required nor counted; the zero leftover passes.
    EXPECT_EQ(b64.decode("Zg"), bytesOf("f"));
    EXPECT_EQ(b64.decode("Zg="), bytesOf("f"));
    EXPECT_EQ(b64.decode("Zg======"), bytesOf("f"));
    EXPECT_EQ(b64.decode(""), platform::Bytes {});

    const auto b32 = ADSStringEncoding::rfc4648Base32StringEncoding();
    EXPECT_FALSE(b32.decode("MZ======")) << "base32 leftover bits";
    EXPECT_FALSE(b32.decode("my======")) << "base32 has no lower-case synonyms";
    EXPECT_FALSE(b32.decode("MY======MY")) << "base32 data after padding";

    const auto hex = ADSStringEncoding::hexStringEncoding();
    EXPECT_EQ(hex.stringByDecoding("666f6F"), std::optional<std::string>("foo"));
    EXPECT_FALSE(hex.decode("6G"));
    EXPECT_FALSE(hex.decode("666")) << "half a byte of 0110";
}

TEST(ADSStringEncoding, CrockfordSynonyms)
{
    const auto c = ADSStringEncoding::crockfordBase32StringEncoding();
    EXPECT_EQ(c.decode("OoOoOoOo"), platform::Bytes(5, 0));
    EXPECT_EQ(c.decode("LlIi1111"), c.decode("11111111"));
    EXPECT_EQ(c.stringByDecoding("csqpyrk1e8"), std::optional<std::string>("foobar"));
    EXPECT_FALSE(c.decode("U0")) << "U is not a Crockford digit";
}

TEST(ADSStringEncoding, IgnoredCharactersAndPaddingCharacter)
{
    auto b64 = ADSStringEncoding::rfc4648Base64StringEncoding();
    EXPECT_FALSE(b64.decode("Zm9v\nYmFy"));
    EXPECT_TRUE(b64.ignoreCharacters(" \r\n"));
    EXPECT_EQ(b64.stringByDecoding("Zm9v\r\nYm Fy"), std::optional<std::string>("foobar"));
    // A character that already decodes keeps its meaning.
    EXPECT_FALSE(b64.ignoreCharacters("A="));
    EXPECT_EQ(b64.decode("AA=="), platform::Bytes { 0 });
    EXPECT_FALSE(b64.decode("Zg==Zg")) << "'=' is still padding";

    // A digit cannot be made the padding character; another can.
    auto hex = ADSStringEncoding::hexStringEncoding();
    EXPECT_FALSE(hex.setPaddingChar('A'));
    EXPECT_EQ(hex.decode("AA"), platform::Bytes { 0xAA });
    EXPECT_TRUE(hex.setPaddingChar('*'));
    EXPECT_EQ(hex.decode("AA**"), platform::Bytes { 0xAA });
    EXPECT_FALSE(hex.decode("AA*AA"));
    // Replacing the padding character frees the old one.
    EXPECT_TRUE(hex.setPaddingChar('#'));
    EXPECT_FALSE(hex.decode("AA*"));
}

TEST(ADSStringEncoding, UnusableAlphabetsAreRefused)
{
    EXPECT_FALSE(ADSStringEncoding::initWithString("abc")) << "three characters";
    EXPECT_FALSE(ADSStringEncoding::initWithString("a")) << "one character";
    EXPECT_FALSE(ADSStringEncoding::initWithString("")) << "none";
    EXPECT_FALSE(ADSStringEncoding::initWithString("aa")) << "repeated";
    EXPECT_FALSE(ADSStringEncoding::initWithString("0123456789ABCDEA")) << "repeated in sixteen";
    EXPECT_FALSE(ADSStringEncoding::initWithString("a\xc3")) << "not ASCII";
    std::string all;
    for (int i = 0; i < 128; ++i)
        all.push_back(char(i));
    auto widest = ADSStringEncoding::initWithString(all);
    ASSERT_TRUE(widest);
    EXPECT_EQ(widest->shift(), 7);
    EXPECT_EQ(widest->padLen(), 8);
    EXPECT_FALSE(ADSStringEncoding::initWithString(all + all)) << "256 characters";
    EXPECT_EQ(ADSStringEncoding::hexStringEncoding().description(), "<Base16 StringEncoder: 0123456789ABCDEF>");
}

TEST(ADSStringEncoding, StringByDecodingRefusesBytesThatAreNotUtf8)
{
    const auto b64 = ADSStringEncoding::rfc4648Base64StringEncoding();
    EXPECT_EQ(b64.decode("/w=="), platform::Bytes { 0xff });
    EXPECT_FALSE(b64.stringByDecoding("/w=="));
    EXPECT_EQ(b64.stringByDecoding(b64.encodeString("h\xc3\xa9llo")), std::optional<std::string>("h\xc3\xa9llo"));
}

// Every alphabet size, every length across a few padding periods, random
// bytes: what is encoded decodes back, padded or not, through the block
// path and (with line breaks inserted) through the general one.
TEST(ADSStringEncoding, RoundTripsEveryWidth)
{
    std::mt19937 rng(7);
    std::string all, spare;
    for (int i = 0; i < 128; ++i) {
        all.push_back(char(i));
        if (i != ' ' && i != '\n')
            spare.push_back(char(i));
    }
    for (int shift = 1; shift <= 7; ++shift) {
        // Up to 64 digits there is room for a padding and an ignored character.
        const bool roomy = shift < 7;
        auto enc = ADSStringEncoding::initWithString((roomy ? spare : all).substr(0, size_t(1) << shift));
        ASSERT_TRUE(enc) << shift;
        if (roomy) {
            ASSERT_TRUE(enc->setPaddingChar(' '));
            ASSERT_TRUE(enc->ignoreCharacters("\n"));
        }
        for (size_t n = 0; n < 50; ++n) {
            platform::Bytes data(n);
            for (auto& b : data)
                b = uint8_t(rng());
            for (bool pad : { false, true }) {
                enc->setDoPad(pad);
                std::string text = enc->encode(data);
                const size_t digits = (n * 8 + size_t(shift) - 1) / size_t(shift);
                if (pad && roomy && n > 0) {
                    EXPECT_EQ(text.size() % size_t(enc->padLen()), 0u);
                    EXPECT_GE(text.size(), digits);
                    EXPECT_LT(text.size(), digits + size_t(enc->padLen()));
                } else {
                    EXPECT_EQ(text.size(), digits);
                }
                EXPECT_EQ(enc->decode(text), data) << "shift " << shift << " n " << n;
                if (!roomy)
                    continue;
                for (size_t i = 5; i < text.size(); i += 6)
                    text.insert(i, "\n");
                EXPECT_EQ(enc->decode(text), data) << "with breaks, shift " << shift << " n " << n;
            }
        }
    }
}
