// Little-endian fields at fixed offsets, the byte order of every number on a FAT volume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ib::tools::fat {

inline void putLittleEndian16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void putLittleEndian32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    putLittleEndian16(bytes, offset, static_cast<std::uint16_t>(value));
    putLittleEndian16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace ib::tools::fat
