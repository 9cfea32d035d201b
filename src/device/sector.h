// Units shared by everything that talks to the recorder's storage.
// Positions and counts on the wire are 512-byte sectors of the area selected last.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ib {

inline constexpr std::size_t kSectorSize = 512;
inline constexpr unsigned kSectorShift = 9;

// Largest data phase of one vendor command: reads land in a 64 KiB reply area.
inline constexpr std::size_t kMaxTransferBytes = 65536;
inline constexpr std::uint32_t kMaxReadSectors = kMaxTransferBytes / kSectorSize;  // 128

// Rounds a byte count up to whole sectors.
constexpr std::uint64_t sectorsFor(std::uint64_t bytes) { return (bytes + kSectorSize - 1) / kSectorSize; }

}  // namespace ib
