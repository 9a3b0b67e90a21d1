// Base64 encoding and decoding of random bytes with the ad library's
// encoder, OpenSSL's EVP block functions and QByteArray, in the same run;
// base32 and hexadecimal of the ad library for scale.

#include "encoding/ADSStringEncoding.h"

#include <QByteArray>
#include <openssl/evp.h>

#include <benchmark/benchmark.h>

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

void encodeOurs(benchmark::State& state)
{
    const platform::Bytes data = randomBytes(size_t(state.range(0)));
    const auto enc = ADSStringEncoding::rfc4648Base64StringEncoding();
    for (auto _ : state) {
        std::string text = enc.encode(data);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void encodeOpenSsl(benchmark::State& state)
{
    const platform::Bytes data = randomBytes(size_t(state.range(0)));
    for (auto _ : state) {
        // Same work as ours: a fresh output buffer each time.
        std::string text((data.size() + 2) / 3 * 4 + 1, '\0');
        const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), data.data(), int(data.size()));
        text.resize(size_t(n));
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void encodeQt(benchmark::State& state)
{
    const platform::Bytes data = randomBytes(size_t(state.range(0)));
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    for (auto _ : state) {
        QByteArray text = raw.toBase64();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void decodeOurs(benchmark::State& state)
{
    const auto enc = ADSStringEncoding::rfc4648Base64StringEncoding();
    const std::string text = enc.encode(randomBytes(size_t(state.range(0))));
    for (auto _ : state) {
        auto bytes = enc.decode(text);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void decodeOpenSsl(benchmark::State& state)
{
    const std::string text = ADSStringEncoding::rfc4648Base64StringEncoding().encode(randomBytes(size_t(state.range(0))));
    for (auto _ : state) {
        platform::Bytes bytes(text.size() / 4 * 3);
        const int n = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
        bytes.resize(size_t(n < 0 ? 0 : n));
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void decodeQt(benchmark::State& state)
{
    const std::string text = ADSStringEncoding::rfc4648Base64StringEncoding().encode(randomBytes(size_t(state.range(0))));
    const QByteArray raw = QByteArray::fromRawData(text.data(), qsizetype(text.size()));
    for (auto _ : state) {
        auto result = QByteArray::fromBase64Encoding(raw, QByteArray::AbortOnBase64DecodingErrors);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void encodeOther(benchmark::State& state, ADSStringEncoding enc)
{
    const platform::Bytes data = randomBytes(size_t(state.range(0)));
    for (auto _ : state) {
        std::string text = enc.encode(data);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void decodeOther(benchmark::State& state, ADSStringEncoding enc)
{
    const std::string text = enc.encode(randomBytes(size_t(state.range(0))));
    for (auto _ : state) {
        auto bytes = enc.decode(text);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

}

BENCHMARK(encodeOurs)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(encodeOpenSsl)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(encodeQt)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(decodeOurs)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(decodeOpenSsl)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(decodeQt)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(encodeOther, base32, ADSStringEncoding::rfc4648Base32StringEncoding())->Arg(1 << 20);
BENCHMARK_CAPTURE(decodeOther, base32, ADSStringEncoding::rfc4648Base32StringEncoding())->Arg(1 << 20);
BENCHMARK_CAPTURE(encodeOther, hex, ADSStringEncoding::hexStringEncoding())->Arg(1 << 20);
BENCHMARK_CAPTURE(decodeOther, hex, ADSStringEncoding::hexStringEncoding())->Arg(1 << 20);
