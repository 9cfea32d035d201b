// SHA-256 of a block of bytes, in lower-case hexadecimal, from the system's
// cryptographic library (libcrypto on Linux, CNG on Windows). A recording keeps
// large data it sends as this digest so a replay can still tell one byte apart.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ib::record {

// Throws std::runtime_error when the library offers no SHA-256.
std::string sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace ib::record
