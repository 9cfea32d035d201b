// Reading the recorder's index table sector: 512 bytes of little-endian words,
// magic 0xAA550840 at offsets 0 and 508, a storage marker at 4, and 31 entries
// of 16 bytes from offset 16 (start, count, attributes, reserved). Used by
// FormatUserArea and by `sim show`.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ib::sim {

inline constexpr std::uint32_t kIndexTableMagic = 0xAA550840;
inline constexpr std::size_t kIndexTableEntries = 31;
inline constexpr std::size_t kFirstSharedPartitionEntry = 10;  // entries 0..9 list boot images

struct IndexTableEntry {
    std::uint32_t start = 0;
    std::uint32_t count = 0;
    std::uint32_t attributes = 0;
    std::uint32_t reserved = 0;

    // Whether the entry names sectors at all (unused slots have count 0 or start 0xFFFFFFFF).
    bool listsSectors() const { return count != 0 && start != 0xFFFFFFFF; }
};

struct IndexTableView {
    std::uint32_t headMagic = 0;
    std::uint32_t tailMagic = 0;
    std::uint32_t storageMarker = 0;
    std::array<IndexTableEntry, kIndexTableEntries> entries{};

    bool hasBothMagics() const { return headMagic == kIndexTableMagic && tailMagic == kIndexTableMagic; }
};

// Decodes a 512-byte sector (a shorter span decodes as all zeros).
IndexTableView decodeIndexTable(std::span<const std::uint8_t> sector);

}  // namespace ib::sim
