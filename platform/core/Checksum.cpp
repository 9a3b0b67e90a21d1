// CRC-32 eight bytes at a step from eight tables, or sixteen at a step with
// carry-less multiplication where the processor has it: a saved game with a
// long log is most of a megabyte, and its check is on the path of every save.
#include "platform/Checksum.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TOLVANE_CRC32_CLMUL 1
#endif

namespace platform::Checksum {

namespace {

using Tables = std::array<std::array<uint32_t, 256>, 8>;

// tables[0] is the classic byte table; tables[k][b] is the CRC of byte b
// followed by k zero bytes, which lets eight bytes be looked up at once.
constexpr Tables makeTables()
{
    Tables t {};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (size_t k = 1; k < 8; ++k)
            t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    return t;
}
constexpr Tables kTables = makeTables();

uint32_t updateBytes(uint32_t c, const unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        c = kTables[0][(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c;
}

uint32_t updateSliced(uint32_t c, const unsigned char* p, size_t n)
{
    for (; n >= 8; p += 8, n -= 8) {
        uint32_t lo, hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
        if constexpr (std::endian::native == std::endian::big) {
            lo = __builtin_bswap32(lo);
            hi = __builtin_bswap32(hi);
        }
        lo ^= c;
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^ kTables[4][lo >> 24]
            ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^ kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    }
    return updateBytes(c, p, n);
}

#ifdef TOLVANE_CRC32_CLMUL
// Folding: four 128-bit lanes are carried forward over 64 bytes at a time
// by multiplying with x^(512±32) mod P, folded into one lane, then brought
// down to 32 bits by Barrett reduction. The constants are those powers of x
// modulo the reflected polynomial, shifted as the reflected form needs.
__attribute__((target("pclmul,sse4.1"))) inline __m128i load16(const unsigned char* q)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// x times the two halves of k, carried over onto the next 16 bytes.
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i next)
{
    const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

__attribute__((target("pclmul,sse4.1"))) uint32_t updateFolded(uint32_t c, const unsigned char* p, size_t n)
{
    const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
    const __m128i polyMu = _mm_set_epi64x(0x1f7011641, 0x1db710641);
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);

    __m128i x0 = _mm_xor_si128(load16(p), _mm_cvtsi32_si128(int(c)));
    __m128i x1 = load16(p + 16);
    __m128i x2 = load16(p + 32);
    __m128i x3 = load16(p + 48);
    p += 64;
    n -= 64;
    for (; n >= 64; p += 64, n -= 64) {
        x0 = fold(x0, k1k2, load16(p));
        x1 = fold(x1, k1k2, load16(p + 16));
        x2 = fold(x2, k1k2, load16(p + 32));
        x3 = fold(x3, k1k2, load16(p + 48));
    }
    __m128i x = fold(x0, k3k4, x1);
    x = fold(x, k3k4, x2);
    x = fold(x, k3k4, x3);
    for (; n >= 16; p += 16, n -= 16)
        x = fold(x, k3k4, load16(p));

    // 128 bits to 64, 64 to 32, then the remainder modulo P.
    x = _mm_xor_si128(_mm_clmulepi64_si128(x, k3k4, 0x10), _mm_srli_si128(x, 8));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, mask32), k5, 0x00), _mm_srli_si128(x, 4));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, mask32), polyMu, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), polyMu, 0x00);
    c = uint32_t(_mm_extract_epi32(_mm_xor_si128(t, x), 1));
    return updateSliced(c, p, n);
}

bool hasCarrylessMultiply()
{
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}
#endif

}

uint32_t crc32(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    uint32_t c = 0xFFFFFFFFu;
#ifdef TOLVANE_CRC32_CLMUL
    if (bytes.size() >= 64 && hasCarrylessMultiply())
        return updateFolded(c, p, bytes.size()) ^ 0xFFFFFFFFu;
#endif
    return updateSliced(c, p, bytes.size()) ^ 0xFFFFFFFFu;
}

uint32_t crc32Portable(std::string_view bytes)
{
    return updateSliced(0xFFFFFFFFu, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) ^ 0xFFFFFFFFu;
}

}
