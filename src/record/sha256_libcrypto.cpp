// SHA-256 through libcrypto. See sha256.h.
#include <openssl/evp.h>

#include <array>
#include <stdexcept>

#include "record/hex_text.h"
#include "record/sha256.h"

namespace ib::record {

std::string sha256Hex(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
        length != digest.size())
        throw std::runtime_error("the cryptographic library offers no SHA-256");
    return toHex(digest);
}

}  // namespace ib::record
