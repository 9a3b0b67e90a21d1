#pragma once
// Turns bytes into text and back in any power-of-two alphabet (base64, base32,
// hexadecimal, binary and their variants). It neither wraps lines nor checks
// how many padding characters a text carries.

#include "encoding/ADSBase64Simd.h"

#include "platform/Value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ADSStringEncoding {
public:
    // None when the alphabet's length is not a power of two from 2 to 128, when
    // a character repeats, or when a character is not ASCII.
    static std::optional<ADSStringEncoding> initWithString(std::string_view alphabet);
    static std::optional<ADSStringEncoding> stringEncodingWithString(std::string_view alphabet)
    {
        return initWithString(alphabet);
    }

    static ADSStringEncoding rfc4648Base64StringEncoding();
    static ADSStringEncoding rfc4648Base64WebsafeStringEncoding();
    static ADSStringEncoding rfc4648Base32StringEncoding();
    static ADSStringEncoding rfc4648Base32HexStringEncoding();
    static ADSStringEncoding crockfordBase32StringEncoding();
    static ADSStringEncoding hexStringEncoding();
    static ADSStringEncoding binaryStringEncoding();

    bool doPad() const { return doPad_; }
    void setDoPad(bool pad) { doPad_ = pad; }
    // A character of the alphabet (or a non-ASCII one) can never mark padding,
    // so it is refused and false is returned; the encoding is left unchanged.
    bool setPaddingChar(char c);
    std::optional<char> paddingChar() const { return paddingChar_; }
    void addDecodeSynonyms(std::string_view synonyms);
    // Marks characters that decoding skips. A character that already means
    // something (a digit, a synonym, the padding) is a caller's mistake: it
    // keeps its meaning and false is returned.
    bool ignoreCharacters(std::string_view chars);

    std::string encode(const uint8_t* data, size_t length) const;
    std::string encode(const platform::Bytes& bytes) const { return encode(bytes.data(), bytes.size()); }
    std::string encodeString(std::string_view text) const
    {
        return encode(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    // None for a character outside the alphabet, a digit after padding, or a
    // final partial group whose unused bits are not all zero.
    std::optional<platform::Bytes> decode(std::string_view text) const;
    // decode, then the bytes read as UTF-8; none when they are not valid UTF-8.
    std::optional<std::string> stringByDecoding(std::string_view text) const;

    std::string description() const;

    // Base64 takes the processor's vector instructions; this narrows them
    // (never widens past what the processor has), for comparing the paths.
    ADSBase64Simd::Level vectorLevel() const { return vectorLevel_; }
    void setVectorLevel(ADSBase64Simd::Level level)
    {
        vectorLevel_ = level < ADSBase64Simd::supported() ? level : ADSBase64Simd::supported();
    }
    int shift() const { return shift_; }
    int padLen() const { return padLen_; }

private:
    static constexpr int8_t kNotInAlphabet = -1;
    static constexpr int8_t kPadding = -2;
    static constexpr int8_t kIgnored = -3;

    ADSStringEncoding() = default;
    void decodeBase64Blocks(const uint8_t*& in, const uint8_t* end, uint8_t*& out) const;

    std::string charMapData_; // the alphabet; value -> character
    // Character -> value or one of the negative markers. Indexed by the whole
    // byte so that non-ASCII bytes need no separate test: they are never mapped.
    std::array<int8_t, 256> reverseCharMap_ {};
    int shift_ = 0;
    int mask_ = 0;
    bool doPad_ = false;
    std::optional<char> paddingChar_;
    int padLen_ = 0;
    ADSBase64Simd::Level vectorLevel_ = ADSBase64Simd::supported();
};
