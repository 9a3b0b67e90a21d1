// Base64 of random bytes, encoding and strict decoding, with the ad library's
// encoder (at its best vector level, and its plain code), OpenSSL's EVP block
// functions and QByteArray in the same run; base32 and hexadecimal of the ad
// library for scale. Every side makes a fresh output buffer each time.

#include "BenchComparison.h"

#include "encoding/ADSStringEncoding.h"

#include <QByteArray>
#include <openssl/evp.h>

#include <random>
#include <string>
#include <vector>

namespace {

platform::Bytes randomBytes(size_t n)
{
    std::mt19937_64 rng(n);
    platform::Bytes out(n);
    for (auto& b : out)
        b = uint8_t(rng());
    return out;
}

std::string sizeName(size_t n)
{
    return n >= (1 << 20) ? std::to_string(n >> 20) + "MiB" : n >= 1024 ? std::to_string(n >> 10) + "KiB" : std::to_string(n) + "B";
}

ADSStringEncoding base64At(ADSBase64Simd::Level level)
{
    auto enc = ADSStringEncoding::rfc4648Base64StringEncoding();
    enc.setVectorLevel(level);
    return enc;
}

void encodeOurs(benchmark::State& state, const ADSStringEncoding& enc, size_t n)
{
    const platform::Bytes data = randomBytes(n);
    for (auto _ : state) {
        std::string text = enc.encode(data);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

void decodeOurs(benchmark::State& state, const ADSStringEncoding& enc, size_t n)
{
    const std::string text = enc.encode(randomBytes(n));
    for (auto _ : state) {
        auto bytes = enc.decode(text);
        if (!bytes) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void encodeOpenSsl(benchmark::State& state, size_t n)
{
    const platform::Bytes data = randomBytes(n);
    for (auto _ : state) {
        std::string text((data.size() + 2) / 3 * 4 + 1, '\0');
        const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), data.data(), int(data.size()));
        text.resize(size_t(written));
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

void decodeOpenSsl(benchmark::State& state, size_t n)
{
    const std::string text = ADSStringEncoding::rfc4648Base64StringEncoding().encode(randomBytes(n));
    for (auto _ : state) {
        platform::Bytes bytes(text.size() / 4 * 3);
        const int written = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
        if (written < 0) {
            state.SkipWithError("OpenSSL decode failed");
            break;
        }
        bytes.resize(size_t(written));
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void encodeQt(benchmark::State& state, size_t n)
{
    const platform::Bytes data = randomBytes(n);
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    for (auto _ : state) {
        QByteArray text = raw.toBase64();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

void decodeQt(benchmark::State& state, size_t n)
{
    const std::string text = ADSStringEncoding::rfc4648Base64StringEncoding().encode(randomBytes(n));
    const QByteArray raw = QByteArray::fromRawData(text.data(), qsizetype(text.size()));
    for (auto _ : state) {
        auto result = QByteArray::fromBase64Encoding(raw, QByteArray::AbortOnBase64DecodingErrors);
        if (!result) {
            state.SkipWithError("Qt decode failed");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void registerAll()
{
    static const ADSStringEncoding best = ADSStringEncoding::rfc4648Base64StringEncoding();
    static const ADSStringEncoding plain = base64At(ADSBase64Simd::Level::Scalar);
    static const ADSStringEncoding base32 = ADSStringEncoding::rfc4648Base32StringEncoding();
    static const ADSStringEncoding hex = ADSStringEncoding::hexStringEncoding();
    const std::vector<size_t> sizes = BenchComparison::smoke() ? std::vector<size_t> { 100 } : std::vector<size_t> { 1 << 10, 1 << 20 };
    const auto us = benchmark::kMicrosecond;
    for (size_t n : sizes) {
        const std::string s = sizeName(n);
        BenchComparison::add("encode/ours/" + s, [n](auto& st) { encodeOurs(st, best, n); })->Unit(us);
        BenchComparison::add("encode/ours_scalar/" + s, [n](auto& st) { encodeOurs(st, plain, n); })->Unit(us);
        BenchComparison::add("encode/openssl/" + s, [n](auto& st) { encodeOpenSsl(st, n); })->Unit(us);
        BenchComparison::add("encode/qt/" + s, [n](auto& st) { encodeQt(st, n); })->Unit(us);
        BenchComparison::add("decode/ours/" + s, [n](auto& st) { decodeOurs(st, best, n); })->Unit(us);
        BenchComparison::add("decode/ours_scalar/" + s, [n](auto& st) { decodeOurs(st, plain, n); })->Unit(us);
        BenchComparison::add("decode/openssl/" + s, [n](auto& st) { decodeOpenSsl(st, n); })->Unit(us);
        BenchComparison::add("decode/qt/" + s, [n](auto& st) { decodeQt(st, n); })->Unit(us);
    }
    const size_t n = sizes.back();
    const std::string s = sizeName(n);
    BenchComparison::add("encode_base32/ours/" + s, [n](auto& st) { encodeOurs(st, base32, n); })->Unit(us);
    BenchComparison::add("decode_base32/ours/" + s, [n](auto& st) { decodeOurs(st, base32, n); })->Unit(us);
    BenchComparison::add("encode_hex/ours/" + s, [n](auto& st) { encodeOurs(st, hex, n); })->Unit(us);
    BenchComparison::add("decode_hex/ours/" + s, [n](auto& st) { decodeOurs(st, hex, n); })->Unit(us);
}

}

int main(int argc, char** argv)
{
    return BenchComparison::run(argc, argv, registerAll);
}
