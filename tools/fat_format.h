// Chooses the FAT variant and cluster size for an image of a given sector count. Readers
// (the recorder, Windows, mtools) tell FAT12, FAT16 and FAT32 apart by the number of
// clusters alone, so the choice keeps the cluster count inside the chosen variant's range.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ib::tools {

struct FatFormat {
    int fatBits = 12;                  // 12, 16 or 32
    unsigned sectorsPerCluster = 0;    // 0: mkfs.fat picks its default for the size
};

// Smallest image made: mkfs.fat needs about 100 sectors for even an empty FAT12.
inline constexpr std::uint64_t kMinImageSectors = 128;
// The boot sector holds the total sector count in 32 bits.
inline constexpr std::uint64_t kMaxImageSectors = 0xFFFFFFFFu;

// The format for an image of `sectors` 512-byte sectors; nullopt outside the range above.
std::optional<FatFormat> chooseFatFormat(std::uint64_t sectors);

// mkfs.fat's options for `format` (without the program name and the target).
std::vector<std::string> mkfsOptions(const FatFormat& format);

}  // namespace ib::tools
