#include "encoding/ADSStringEncoding.h"

#include "encoding/ADSUtf8.h"

#include <numeric>

std::optional<ADSStringEncoding> ADSStringEncoding::initWithString(std::string_view alphabet)
{
    const size_t length = alphabet.size();
    if (length < 2 || length > 128 || (length & (length - 1)) != 0)
        return std::nullopt;
    ADSStringEncoding enc;
    enc.reverseCharMap_.fill(kNotInAlphabet);
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = uint8_t(alphabet[i]);
        if (c >= 128 || enc.reverseCharMap_[c] != kNotInAlphabet)
            return std::nullopt;
        enc.reverseCharMap_[c] = int8_t(i);
    }
    enc.charMapData_.assign(alphabet);
    int shift = 0;
    while ((size_t(1) << shift) < length)
        ++shift;
    enc.shift_ = shift;
    enc.mask_ = (1 << shift) - 1;
    enc.padLen_ = std::lcm(8, shift) / shift;
    return enc;
}

namespace {

ADSStringEncoding padded(std::string_view alphabet)
{
    ADSStringEncoding enc = *ADSStringEncoding::initWithString(alphabet);
    enc.setPaddingChar('=');
    enc.setDoPad(true);
    return enc;
}

}

ADSStringEncoding ADSStringEncoding::rfc4648Base64StringEncoding()
{
    return padded("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

ADSStringEncoding ADSStringEncoding::rfc4648Base64WebsafeStringEncoding()
{
    return padded("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_");
}

ADSStringEncoding ADSStringEncoding::rfc4648Base32StringEncoding()
{
    return padded("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567");
}

ADSStringEncoding ADSStringEncoding::rfc4648Base32HexStringEncoding()
{
    return padded("0123456789ABCDEFGHIJKLMNOPQRSTUV");
}

ADSStringEncoding ADSStringEncoding::crockfordBase32StringEncoding()
{
    ADSStringEncoding enc = *initWithString("0123456789ABCDEFGHJKMNPQRSTVWXYZ");
    enc.addDecodeSynonyms("0oO1iIlLAaBbCcDdEeFfGgHhJjKkMmNnPpQqRrSsTtVvWwXxYyZz");
    return enc;
}

ADSStringEncoding ADSStringEncoding::hexStringEncoding()
{
    ADSStringEncoding enc = *initWithString("0123456789ABCDEF");
    enc.addDecodeSynonyms("AaBbCcDdEeFf");
    return enc;
}

ADSStringEncoding ADSStringEncoding::binaryStringEncoding()
{
    return *initWithString("01");
}

bool ADSStringEncoding::setPaddingChar(char c)
{
    const uint8_t u = uint8_t(c);
    if (u >= 128 || reverseCharMap_[u] >= 0)
        return false;
    if (paddingChar_ && reverseCharMap_[uint8_t(*paddingChar_)] == kPadding)
        reverseCharMap_[uint8_t(*paddingChar_)] = kNotInAlphabet;
    paddingChar_ = c;
    reverseCharMap_[u] = kPadding;
    return true;
}

void ADSStringEncoding::addDecodeSynonyms(std::string_view synonyms)
{
    int8_t remembered = kNotInAlphabet;
    for (const char ch : synonyms) {
        const uint8_t c = uint8_t(ch);
        if (c >= 128)
            continue;
        if (reverseCharMap_[c] == kNotInAlphabet)
            reverseCharMap_[c] = remembered;
        else
            remembered = reverseCharMap_[c];
    }
}

bool ADSStringEncoding::ignoreCharacters(std::string_view chars)
{
    bool allFree = true;
    for (const char ch : chars) {
        const uint8_t c = uint8_t(ch);
        if (c >= 128)
            continue; // never decodable anyway
        if (reverseCharMap_[c] == kNotInAlphabet || reverseCharMap_[c] == kIgnored)
            reverseCharMap_[c] = kIgnored;
        else
            allFree = false;
    }
    return allFree;
}

std::string ADSStringEncoding::encode(const uint8_t* data, size_t length) const
{
    if (length == 0)
        return {};
    const size_t digits = (length * 8 + size_t(shift_) - 1) / size_t(shift_);
    size_t total = digits;
    // Padding needs a character to pad with; without one the text stays bare.
    const bool pad = doPad_ && paddingChar_.has_value();
    if (pad)
        total = (digits + size_t(padLen_) - 1) / size_t(padLen_) * size_t(padLen_);
    std::string out(total, pad ? *paddingChar_ : '\0');
    char* o = out.data();
    const char* map = charMapData_.data();
    const uint8_t* p = data;
    const uint8_t* end = data + length;

    if (shift_ == 6) {
        const size_t done = ADSBase64Simd::encode(vectorLevel_, map, p, length, o);
        p += done;
        o += done / 3 * 4;
        while (end - p >= 3) {
            const uint32_t v = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            o[0] = map[v >> 18];
            o[1] = map[(v >> 12) & 63];
            o[2] = map[(v >> 6) & 63];
            o[3] = map[v & 63];
            o += 4;
            p += 3;
        }
        if (end - p == 1) {
            o[0] = map[p[0] >> 2];
            o[1] = map[(p[0] & 3) << 4];
            o += 2;
        } else if (end - p == 2) {
            o[0] = map[p[0] >> 2];
            o[1] = map[((p[0] & 3) << 4) | (p[1] >> 4)];
            o[2] = map[(p[1] & 15) << 2];
            o += 3;
        }
    } else if (shift_ == 4) {
        for (; p < end; ++p) {
            o[0] = map[*p >> 4];
            o[1] = map[*p & 15];
            o += 2;
        }
    } else {
        uint32_t acc = 0;
        int bits = 0;
        for (; p < end; ++p) {
            acc = (acc << 8) | *p;
            bits += 8;
            while (bits >= shift_) {
                bits -= shift_;
                *o++ = map[(acc >> bits) & uint32_t(mask_)];
            }
        }
        if (bits > 0)
            *o++ = map[(acc << (shift_ - bits)) & uint32_t(mask_)];
    }
    return out;
}

// Whole groups of four base64 digits, as long as no padding, ignored or
// unknown character turns up; the general loop takes over from there.
void ADSStringEncoding::decodeBase64Blocks(const uint8_t*& in, const uint8_t* end, uint8_t*& out) const
{
    const int8_t* rev = reverseCharMap_.data();
    const uint8_t* p = in;
    uint8_t* o = out;
    while (end - p >= 4) {
        const int32_t a = rev[p[0]], b = rev[p[1]], c = rev[p[2]], d = rev[p[3]];
        if ((a | b | c | d) < 0)
            break;
        const uint32_t v = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6 | uint32_t(d);
        o[0] = uint8_t(v >> 16);
        o[1] = uint8_t(v >> 8);
        o[2] = uint8_t(v);
        o += 3;
        p += 4;
    }
    in = p;
    out = o;
}

std::optional<platform::Bytes> ADSStringEncoding::decode(std::string_view text) const
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = p + text.size();
    platform::Bytes out(size_t(shift_) * text.size() / 8);
    uint8_t* o = out.data();
    if (shift_ == 6) {
        const size_t done = ADSBase64Simd::decode(vectorLevel_, reverseCharMap_.data(), p, text.size(), o);
        p += done;
        o += done / 4 * 3;
        decodeBase64Blocks(p, end, o);
    }

    uint32_t acc = 0;
    int bits = 0;
    bool padding = false;
    for (; p < end; ++p) {
        const int v = reverseCharMap_[*p];
        if (v >= 0) {
            if (padding)
                return std::nullopt;
            acc = (acc << shift_) | uint32_t(v);
            bits += shift_;
            if (bits >= 8) {
                bits -= 8;
                *o++ = uint8_t(acc >> bits);
            }
        } else if (v == kIgnored) {
            continue;
        } else if (v == kPadding) {
            padding = true;
        } else {
            return std::nullopt;
        }
    }
    if (bits > 0 && (acc & ((1u << bits) - 1)) != 0)
        return std::nullopt;
    out.resize(size_t(o - out.data()));
    return out;
}

std::optional<std::string> ADSStringEncoding::stringByDecoding(std::string_view text) const
{
    auto bytes = decode(text);
    if (!bytes || !ADSUtf8::isValid(bytes->data(), bytes->size()))
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

std::string ADSStringEncoding::description() const
{
    return "<Base" + std::to_string(charMapData_.size()) + " StringEncoder: " + charMapData_ + ">";
}
