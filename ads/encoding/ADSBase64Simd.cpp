#include "encoding/ADSBase64Simd.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define ADS_BASE64_X86 1
#include <immintrin.h>
#endif

// Table lookups by byte value go through 16-entry byte shuffles. A wider
// table is split in rows of 16 by the high nibble, and each row is stored
// XOR the row before it: shuffling row k with (index - 16k) picks nothing
// (zero) while that index is negative, so XOR-ing every row's pick leaves
// exactly the entry of the index's own row.

#if ADS_BASE64_X86
namespace {

struct EncodeRows {
    alignas(16) uint8_t row[4][16];
};

EncodeRows encodeRows(const char alphabet[64])
{
    EncodeRows t;
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 16; ++i) {
            const uint8_t here = uint8_t(alphabet[16 * k + i]);
            t.row[k][i] = k == 0 ? here : uint8_t(here ^ uint8_t(alphabet[16 * (k - 1) + i]));
        }
    }
    return t;
}

// Rows for the characters 0x20 to 0x7F; everything below, and every byte
// from 0x80, is left to the scalar code.
struct DecodeRows {
    alignas(16) int8_t row[6][16];
};

DecodeRows decodeRows(const int8_t reverse[256])
{
    DecodeRows t;
    for (int k = 0; k < 6; ++k) {
        for (int i = 0; i < 16; ++i) {
            const int8_t here = reverse[0x20 + 16 * k + i];
            t.row[k][i] = k == 0 ? here : int8_t(here ^ reverse[0x20 + 16 * (k - 1) + i]);
        }
    }
    return t;
}

// ----------------------------------------------------------------- SSSE3

__attribute__((target("ssse3"))) inline __m128i sixBitIndices128(__m128i in)
{
    // Bytes b0 b1 b2 of each group to 32 bits [b1 b0 b2 b1], then each
    // six-bit field moved into a byte of its own, in text order.
    in = _mm_shuffle_epi8(in, _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10));
    const __m128i t0 = _mm_and_si128(in, _mm_set1_epi32(0x0FC0FC00));
    const __m128i t1 = _mm_mulhi_epu16(t0, _mm_set1_epi32(0x04000040));
    const __m128i t2 = _mm_and_si128(in, _mm_set1_epi32(0x003F03F0));
    const __m128i t3 = _mm_mullo_epi16(t2, _mm_set1_epi32(0x01000010));
    return _mm_or_si128(t1, t3);
}

__attribute__((target("ssse3"))) size_t encodeSsse3(const char alphabet[64], const uint8_t* in, size_t length, char* out)
{
    const EncodeRows t = encodeRows(alphabet);
    const __m128i r0 = _mm_load_si128(reinterpret_cast<const __m128i*>(t.row[0]));
    const __m128i r1 = _mm_load_si128(reinterpret_cast<const __m128i*>(t.row[1]));
    const __m128i r2 = _mm_load_si128(reinterpret_cast<const __m128i*>(t.row[2]));
    const __m128i r3 = _mm_load_si128(reinterpret_cast<const __m128i*>(t.row[3]));
    const __m128i sixteen = _mm_set1_epi8(16);
    size_t i = 0;
    // Twelve bytes a step, loaded as sixteen.
    for (; length - i >= 16; i += 12) {
        __m128i idx = sixBitIndices128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)));
        __m128i chars = _mm_shuffle_epi8(r0, idx);
        idx = _mm_sub_epi8(idx, sixteen);
        chars = _mm_xor_si128(chars, _mm_shuffle_epi8(r1, idx));
        idx = _mm_sub_epi8(idx, sixteen);
        chars = _mm_xor_si128(chars, _mm_shuffle_epi8(r2, idx));
        idx = _mm_sub_epi8(idx, sixteen);
        chars = _mm_xor_si128(chars, _mm_shuffle_epi8(r3, idx));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i / 3 * 4), chars);
    }
    return i;
}

// Sixteen characters to sixteen values; false when one of them is not an
// alphabet character or synonym.
__attribute__((target("ssse3"))) inline bool lookup128(const __m128i rows[6], __m128i chars, __m128i& values)
{
    const __m128i sixteen = _mm_set1_epi8(16);
    __m128i idx = _mm_sub_epi8(chars, _mm_set1_epi8(0x20));
    __m128i v = _mm_shuffle_epi8(rows[0], idx);
    for (int k = 1; k < 6; ++k) {
        idx = _mm_sub_epi8(idx, sixteen);
        v = _mm_xor_si128(v, _mm_shuffle_epi8(rows[k], idx));
    }
    // As signed bytes, below 0x20 also takes in every byte from 0x80; a
    // negative value is a marker (padding, ignored, not in the alphabet).
    const __m128i outside = _mm_cmplt_epi8(chars, _mm_set1_epi8(0x20));
    values = v;
    return _mm_movemask_epi8(_mm_or_si128(outside, v)) == 0;
}

__attribute__((target("ssse3"))) inline __m128i packValues128(__m128i values)
{
    // Pairs of six bits to twelve, pairs of twelve to twenty-four, then the
    // three bytes of each group in order.
    const __m128i twelve = _mm_maddubs_epi16(values, _mm_set1_epi32(0x01400140));
    const __m128i groups = _mm_madd_epi16(twelve, _mm_set1_epi32(0x00011000));
    return _mm_shuffle_epi8(groups, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
}

__attribute__((target("ssse3"))) size_t decodeSsse3(const int8_t reverse[256], const uint8_t* in, size_t length, uint8_t* out)
{
    const DecodeRows t = decodeRows(reverse);
    __m128i rows[6];
    for (int k = 0; k < 6; ++k)
        rows[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(t.row[k]));
    size_t i = 0;
    // Each step stores sixteen bytes for twelve: the output has room for
    // them while 24 characters remain.
    for (; length - i >= 24; i += 16) {
        __m128i values;
        if (!lookup128(rows, _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), values))
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i / 4 * 3), packValues128(values));
    }
    return i;
}

// ------------------------------------------------------------------ AVX2

__attribute__((target("avx2"))) size_t encodeAvx2(const char alphabet[64], const uint8_t* in, size_t length, char* out)
{
    const EncodeRows t = encodeRows(alphabet);
    const __m256i r0 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.row[0])));
    const __m256i r1 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.row[1])));
    const __m256i r2 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.row[2])));
    const __m256i r3 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.row[3])));
    const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0, 2, 1, 4, 3,
        5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m256i sixteen = _mm256_set1_epi8(16);
    size_t i = 0;
    // Twenty-four bytes a step: twelve in each half, loaded as sixteen.
    for (; length - i >= 28; i += 24) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 12));
        __m256i v = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1), spread);
        const __m256i t0 = _mm256_and_si256(v, _mm256_set1_epi32(0x0FC0FC00));
        const __m256i t1 = _mm256_mulhi_epu16(t0, _mm256_set1_epi32(0x04000040));
        const __m256i t2 = _mm256_and_si256(v, _mm256_set1_epi32(0x003F03F0));
        const __m256i t3 = _mm256_mullo_epi16(t2, _mm256_set1_epi32(0x01000010));
        __m256i idx = _mm256_or_si256(t1, t3);
        __m256i chars = _mm256_shuffle_epi8(r0, idx);
        idx = _mm256_sub_epi8(idx, sixteen);
        chars = _mm256_xor_si256(chars, _mm256_shuffle_epi8(r1, idx));
        idx = _mm256_sub_epi8(idx, sixteen);
        chars = _mm256_xor_si256(chars, _mm256_shuffle_epi8(r2, idx));
        idx = _mm256_sub_epi8(idx, sixteen);
        chars = _mm256_xor_si256(chars, _mm256_shuffle_epi8(r3, idx));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i / 3 * 4), chars);
    }
    return i;
}

__attribute__((target("avx2"))) size_t decodeAvx2(const int8_t reverse[256], const uint8_t* in, size_t length, uint8_t* out)
{
    const DecodeRows t = decodeRows(reverse);
    __m256i rows[6];
    for (int k = 0; k < 6; ++k)
        rows[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.row[k])));
    const __m256i sixteen = _mm256_set1_epi8(16);
    const __m256i base = _mm256_set1_epi8(0x20);
    const __m256i gather = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6, 5, 4,
        10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i close = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    size_t i = 0;
    // Each step stores thirty-two bytes for twenty-four: the output has
    // room for them while 44 characters remain.
    for (; length - i >= 44; i += 32) {
        const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        __m256i idx = _mm256_sub_epi8(chars, base);
        __m256i v = _mm256_shuffle_epi8(rows[0], idx);
        for (int k = 1; k < 6; ++k) {
            idx = _mm256_sub_epi8(idx, sixteen);
            v = _mm256_xor_si256(v, _mm256_shuffle_epi8(rows[k], idx));
        }
        const __m256i outside = _mm256_cmpgt_epi8(base, chars);
        if (_mm256_movemask_epi8(_mm256_or_si256(outside, v)) != 0)
            break;
        const __m256i twelve = _mm256_maddubs_epi16(v, _mm256_set1_epi32(0x01400140));
        const __m256i groups = _mm256_madd_epi16(twelve, _mm256_set1_epi32(0x00011000));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, gather), close);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i / 4 * 3), bytes);
    }
    return i;
}

}
#endif

ADSBase64Simd::Level ADSBase64Simd::supported()
{
#if ADS_BASE64_X86
    static const Level level = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2"))
            return Level::AVX2;
        if (__builtin_cpu_supports("ssse3"))
            return Level::SSSE3;
        return Level::Scalar;
    }();
    return level;
#else
    return Level::Scalar;
#endif
}

size_t ADSBase64Simd::encode(Level level, const char alphabet[64], const uint8_t* in, size_t length, char* out)
{
#if ADS_BASE64_X86
    if (level > supported())
        level = supported();
    switch (level) {
    case Level::AVX2: {
        const size_t done = encodeAvx2(alphabet, in, length, out);
        return done + encodeSsse3(alphabet, in + done, length - done, out + done / 3 * 4);
    }
    case Level::SSSE3:
        return encodeSsse3(alphabet, in, length, out);
    case Level::Scalar:
        break;
    }
#else
    (void)level, (void)alphabet, (void)in, (void)length, (void)out;
#endif
    return 0;
}

size_t ADSBase64Simd::decode(Level level, const int8_t reverse[256], const uint8_t* in, size_t length, uint8_t* out)
{
#if ADS_BASE64_X86
    if (level > supported())
        level = supported();
    switch (level) {
    case Level::AVX2: {
        // What is left after the wide steps may still take narrow ones.
        const size_t done = decodeAvx2(reverse, in, length, out);
        return done + decodeSsse3(reverse, in + done, length - done, out + done / 4 * 3);
    }
    case Level::SSSE3:
        return decodeSsse3(reverse, in, length, out);
    case Level::Scalar:
        break;
    }
#else
    (void)level, (void)reverse, (void)in, (void)length, (void)out;
#endif
    return 0;
}
