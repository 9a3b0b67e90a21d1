// Every base-N decoder on any text, and every encoder on any bytes: decoded
// bytes encode to a text that decodes to them again, any bytes survive
// encoding and decoding, and output lengths follow the alphabet. An alphabet
// taken from the input is tried too.
#include "FuzzSupport.h"
#include "encoding/ADSStringEncoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<ADSStringEncoding> makeEncodings()
{
    std::vector<ADSStringEncoding> all = { ADSStringEncoding::rfc4648Base64StringEncoding(),
        ADSStringEncoding::rfc4648Base64WebsafeStringEncoding(), ADSStringEncoding::rfc4648Base32StringEncoding(),
        ADSStringEncoding::rfc4648Base32HexStringEncoding(), ADSStringEncoding::crockfordBase32StringEncoding(),
        ADSStringEncoding::hexStringEncoding(), ADSStringEncoding::binaryStringEncoding() };
    // The ad library's own form: URL-safe base64 without padding.
    ADSStringEncoding unpadded = ADSStringEncoding::rfc4648Base64WebsafeStringEncoding();
    unpadded.setDoPad(false);
    all.push_back(unpadded);
    return all;
}

void roundTrip(const ADSStringEncoding& enc, const std::string& text, const platform::Bytes& bytes)
{
    const size_t shift = size_t(enc.shift());
    if (std::optional<platform::Bytes> decoded = enc.decode(text)) {
        fuzzCheck(decoded->size() <= shift * text.size() / 8, "decoded more bytes than the text holds");
        fuzzCheck(enc.decode(enc.encode(*decoded)) == decoded, "decoded bytes do not survive encoding");
        std::optional<std::string> asText = enc.stringByDecoding(text);
        if (asText)
            fuzzCheck(platform::Bytes(asText->begin(), asText->end()) == *decoded, "stringByDecoding differs from decode");
    } else {
        fuzzCheck(!enc.stringByDecoding(text), "stringByDecoding reads what decode refuses");
    }
    const std::string encoded = enc.encode(bytes);
    const size_t digits = (bytes.size() * 8 + shift - 1) / shift;
    const size_t padded = enc.doPad() && enc.paddingChar() ? (digits + size_t(enc.padLen()) - 1) / size_t(enc.padLen()) * size_t(enc.padLen()) : digits;
    fuzzCheck(encoded.size() == padded, "encoded length is not the alphabet's");
    fuzzCheck(enc.decode(encoded) == bytes, "bytes do not survive encoding");
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<ADSStringEncoding> encodings = makeEncodings();
    FuzzedDataProvider input(data, size);
    const std::string alphabet = input.ConsumeRandomLengthString(130);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const platform::Bytes bytes(text.begin(), text.end());
    for (const ADSStringEncoding& enc : encodings)
        roundTrip(enc, text, bytes);
    if (std::optional<ADSStringEncoding> custom = ADSStringEncoding::initWithString(alphabet)) {
        const size_t n = alphabet.size();
        fuzzCheck(n >= 2 && n <= 128 && (n & (n - 1)) == 0, "an alphabet of the wrong size was taken");
        roundTrip(*custom, text, bytes);
        custom->setPaddingChar('=');
        custom->setDoPad(true);
        roundTrip(*custom, text, bytes);
    }
    return 0;
}
