// MD5 and AES-128-CBC from OpenSSL's libcrypto.
#include "platform/net/Crypto.h"
#include <memory>
#include <openssl/evp.h>

namespace platform::Crypto {

Md5Digest md5(std::string_view bytes)
{
    Md5Digest out {};
    unsigned int len = 0;
    EVP_Digest(bytes.data(), bytes.size(), out.data(), &len, EVP_md5(), nullptr);
    return out;
}

namespace {

std::optional<std::vector<uint8_t>> run(bool encrypt, const std::array<uint8_t, 16>& key,
    const std::array<uint8_t, 16>& iv, std::string_view in)
{
    if (in.size() % 16 != 0)
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!ctx)
        return std::nullopt;
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key.data(), iv.data(), encrypt ? 1 : 0) != 1)
        return std::nullopt;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    std::vector<uint8_t> out(in.size() + 16);
    int n1 = 0, n2 = 0;
    if (!in.empty()
        && EVP_CipherUpdate(ctx.get(), out.data(), &n1, reinterpret_cast<const unsigned char*>(in.data()), int(in.size())) != 1)
        return std::nullopt;
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + n1, &n2) != 1)
        return std::nullopt;
    out.resize(size_t(n1 + n2));
    return out;
}

}

std::optional<std::vector<uint8_t>> aes128CbcEncryptNoPadding(const std::array<uint8_t, 16>& key,
    const std::array<uint8_t, 16>& iv, std::string_view plain)
{
    return run(true, key, iv, plain);
}

std::optional<std::vector<uint8_t>> aes128CbcDecryptNoPadding(const std::array<uint8_t, 16>& key,
    const std::array<uint8_t, 16>& iv, std::string_view cipher)
{
    return run(false, key, iv, cipher);
}

}
