#pragma once
// The two primitives the ad library needs: the MD5 digest and AES-128 in CBC
// mode without padding. Nothing else (no other ciphers, no key handling).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::Crypto {

using Md5Digest = std::array<uint8_t, 16>;
Md5Digest md5(std::string_view bytes);

// Enciphers `plain`, whose length must be a multiple of 16 (no padding is
// added); nothing when it is not, or when the cipher reports an error.
std::optional<std::vector<uint8_t>> aes128CbcEncryptNoPadding(const std::array<uint8_t, 16>& key,
    const std::array<uint8_t, 16>& iv, std::string_view plain);
// The inverse, for checks and tools; nothing on a length that is not a multiple of 16.
std::optional<std::vector<uint8_t>> aes128CbcDecryptNoPadding(const std::array<uint8_t, 16>& key,
    const std::array<uint8_t, 16>& iv, std::string_view cipher);

}
