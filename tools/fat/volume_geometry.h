// Chooses the FAT type and cluster size for a volume of a given sector count, as mkfs.fat
// chooses them, and lays out the volume's regions. Readers tell FAT12, FAT16 and FAT32
// apart by the cluster count alone and disagree right at the limits 4085 and 65525, so
// the count always keeps well inside the range of the chosen type.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ib::tools::fat {

enum class FatType { Fat12, Fat16, Fat32 };

inline constexpr std::uint32_t kSectorBytes = 512;
inline constexpr std::uint32_t kFatCopies = 2;
// The number of the first data cluster: entries 0 and 1 of a FAT hold no cluster.
inline constexpr std::uint32_t kFirstDataCluster = 2;
// Below this there is hardly room for the FATs and the root directory.
inline constexpr std::uint64_t kMinVolumeSectors = 128;
// The boot sector holds the total sector count in 32 bits.
inline constexpr std::uint64_t kMaxVolumeSectors = 0xFFFFFFFFu;

struct VolumeGeometry {
    FatType type = FatType::Fat12;
    std::uint32_t totalSectors = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t reservedSectors = 0;  // boot sector first; padded so data starts on a cluster boundary
    std::uint32_t sectorsPerFat = 0;
    std::uint32_t rootEntryCount = 0;  // FAT12/16 only: a FAT32 root directory is a cluster chain
    std::uint32_t clusterCount = 0;

    std::uint32_t rootSectors() const;
    std::uint32_t firstRootSector() const;
    std::uint32_t firstDataSector() const;
    std::uint32_t clusterBytes() const { return sectorsPerCluster * kSectorBytes; }
};

int fatBits(FatType type);
// "FAT12", "FAT16" or "FAT32".
std::string_view fatTypeName(FatType type);

// The geometry of a volume of `sectors` 512-byte sectors; nullopt outside the range above.
std::optional<VolumeGeometry> chooseGeometry(std::uint64_t sectors);

}  // namespace ib::tools::fat
