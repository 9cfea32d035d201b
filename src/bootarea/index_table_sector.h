// The index table sector: the 512-byte sector at the configured sector ("MBR")
// through which the recorder finds its boot-area images and user partitions. The
// firmware burn and the user-area code read it, change only their own fields and
// write it back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/sector.h"

namespace ib {

inline constexpr std::uint32_t kIndexTableMagic = 0xAA550840;  // bytes 40 08 55 AA
inline constexpr std::size_t kIndexTableEntryCount = 31;
inline constexpr std::size_t kBootAreaEntryCount = 10;  // entries 0 to 9 list the firmware set
inline constexpr std::uint32_t kFirmwareAttributes = 1;
inline constexpr std::uint32_t kNotMoviNandAttributeBit = 0x80000000;
// A start sector of 0xFFFFFFFF marks an entry as free (images start from all-0xFF sectors).
inline constexpr std::uint32_t kFreeEntryStart = 0xFFFFFFFF;

struct IndexTableEntry {
    std::uint32_t startSector = 0;
    std::uint32_t sectorCount = 0;
    std::uint32_t attributes = 0;
    std::uint32_t reserved = 0;
};

class IndexTableSector {
public:
    // 512 zero bytes, no magic: the buffer that a device read fills.
    IndexTableSector() = default;
    // The sector as held on the device or in a file; only its first 512 bytes are taken
    // (a shorter span leaves the rest zero).
    static IndexTableSector fromBytes(std::span<const std::uint8_t> bytes);
    // Zero bytes with the magic words at 0 and 508: a sector built from nothing.
    static IndexTableSector fresh();
    // `fill` in every byte, then the magic words (the SD image starts from 0xFF).
    static IndexTableSector filledWith(std::uint8_t fill);

    std::span<const std::uint8_t> bytes() const { return m_bytes; }
    std::span<std::uint8_t> bytes() { return m_bytes; }

    // Both magic words present.
    bool hasMagic() const;
    // Writes both magic words; nothing else changes.
    void stampMagic();
    // Burnt by the firmware burn: both magic words and entry 0 with a sector count.
    bool isBurnt() const;

    std::uint32_t storageMarker() const;  // word at byte 4
    void setStorageMarker(std::uint32_t value);
    std::uint32_t userAreaCapacity() const;  // word at byte 12 (moviNAND only)
    void setUserAreaCapacity(std::uint32_t sectors);

    // Entry `index` (0 to 30); a larger index is a programming error and throws
    // std::out_of_range rather than touching bytes outside the sector.
    IndexTableEntry entry(std::size_t index) const;
    // Writes start sector, sector count and attributes of one entry; its reserved
    // word (for entry 30 the second magic word) keeps what it holds.
    void setEntry(std::size_t index, std::uint32_t startSector, std::uint32_t sectorCount,
                  std::uint32_t attributes);

private:
    std::uint32_t word(std::size_t offset) const;
    void setWord(std::size_t offset, std::uint32_t value);
    static std::size_t entryOffset(std::size_t index);

    std::array<std::uint8_t, kSectorSize> m_bytes{};
};

}  // namespace ib
