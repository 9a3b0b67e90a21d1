#pragma once
// Encodes and decodes the bulk of a base64 text, any 64-character alphabet,
// with the vector instructions this processor has (found once, at run time).
// Partial groups, padding and every unusual character stay with the caller.

#include <cstddef>
#include <cstdint>

class ADSBase64Simd {
public:
    enum class Level { Scalar, SSSE3, AVX2 };

    // The best level this processor runs; Scalar where there is no vector code.
    static Level supported();

    // Encodes whole groups of three bytes, as many as suit the level, and
    // answers how many input bytes it took (a multiple of 3; 0 at Scalar).
    // `out` has room for the whole encoded text of `length` bytes.
    static size_t encode(Level level, const char alphabet[64], const uint8_t* in, size_t length, char* out);

    // Decodes whole groups of four characters from the start, stopping
    // before the first block that holds anything but alphabet characters
    // and synonyms; answers how many characters it took (a multiple of 4).
    // `reverse` maps each byte to its value or to a negative marker; `out`
    // has room for 3/4 of `length` bytes.
    static size_t decode(Level level, const int8_t reverse[256], const uint8_t* in, size_t length, uint8_t* out);
};
