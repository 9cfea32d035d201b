// SHA-256 through Windows' CNG (bcrypt). See sha256.h.
#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <stdexcept>

#include "record/hex_text.h"
#include "record/sha256.h"

namespace ib::record {

std::string sha256Hex(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, 32> digest{};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
        throw std::runtime_error("the system's cryptographic library offers no SHA-256");
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool hashed = ::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
    // BCryptHashData takes at most 4 GiB - 1 at a time.
    constexpr std::size_t kMostPerCall = 1u << 30;
    for (std::size_t at = 0; hashed && at < bytes.size(); at += kMostPerCall) {
        const std::span<const std::uint8_t> piece = bytes.subspan(at, std::min(bytes.size() - at, kMostPerCall));
        hashed = ::BCryptHashData(hash, const_cast<PUCHAR>(piece.data()), static_cast<ULONG>(piece.size()), 0) >= 0;
    }
    hashed = hashed && ::BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
    if (hash != nullptr) ::BCryptDestroyHash(hash);
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!hashed) throw std::runtime_error("computing the SHA-256 digest failed");
    return toHex(digest);
}

}  // namespace ib::record
