// FAT type, cluster size and region layout by volume size. See volume_geometry.h.
#include "tools/fat/volume_geometry.h"

#include "tools/fat/directory_entry.h"

namespace ib::tools::fat {
namespace {

// FAT12 below 4 MiB, FAT16 below 64 MiB, FAT32 from there on.
constexpr std::uint64_t kFat16FromSectors = 8 * 1024;
constexpr std::uint64_t kFat32FromSectors = 128 * 1024;
// mkfs.fat's root directory size on a disk that is not a floppy.
constexpr std::uint32_t kRootEntryCount = 512;
constexpr std::uint32_t kFat12ReservedSectors = 1;
// Room for the FSInfo sector and the backup boot sector, as every formatter leaves it.
constexpr std::uint32_t kFat32ReservedSectors = 32;
// Readers disagree on the type of a volume whose cluster count lies within a few
// clusters of a limit; the chosen count stays at least this far above the lower limit of
// its type. mkfs.fat's cluster sizes keep it far below the upper one at every size.
constexpr std::uint32_t kLimitMargin = 16;
constexpr std::uint32_t kFat16MinClusters = 4085;
constexpr std::uint32_t kFat32MinClusters = 65525;

std::uint32_t fewestSafeClusters(FatType type) {
    switch (type) {
        case FatType::Fat12: return 1;
        case FatType::Fat16: return kFat16MinClusters + kLimitMargin;
        case FatType::Fat32: break;
    }
    return kFat32MinClusters + kLimitMargin;
}

FatType typeForSize(std::uint64_t sectors) {
    if (sectors < kFat16FromSectors) return FatType::Fat12;
    return sectors < kFat32FromSectors ? FatType::Fat16 : FatType::Fat32;
}

// mkfs.fat's cluster size: 2 KiB on FAT12 and FAT16; on FAT32 the table Windows' own
// formatter uses, from 512 bytes up to 260 MiB to 32 KiB above 32 GiB.
std::uint32_t defaultSectorsPerCluster(FatType type, std::uint64_t sectors) {
    if (type != FatType::Fat32) return 4;
    const std::uint64_t mebibytes = (sectors + 2047) / 2048;
    if (mebibytes > 32 * 1024) return 64;
    if (mebibytes > 16 * 1024) return 32;
    if (mebibytes > 8 * 1024) return 16;
    return mebibytes > 260 ? 8 : 1;
}

std::uint32_t divideRoundingUp(std::uint64_t value, std::uint64_t divisor) {
    return static_cast<std::uint32_t>((value + divisor - 1) / divisor);
}

VolumeGeometry layOut(FatType type, std::uint32_t totalSectors, std::uint32_t sectorsPerCluster) {
    VolumeGeometry geometry;
    geometry.type = type;
    geometry.totalSectors = totalSectors;
    geometry.sectorsPerCluster = sectorsPerCluster;
    geometry.reservedSectors = type == FatType::Fat32 ? kFat32ReservedSectors : kFat12ReservedSectors;
    geometry.rootEntryCount = type == FatType::Fat32 ? 0 : kRootEntryCount;
    // Each FAT is sized for every cluster that would fit without the FATs, so it covers
    // the clusters that remain once they are taken off.
    const std::uint64_t withoutFats = totalSectors - geometry.reservedSectors - geometry.rootSectors();
    const std::uint64_t fatEntries = withoutFats / sectorsPerCluster + kFirstDataCluster;
    geometry.sectorsPerFat = divideRoundingUp(fatEntries * static_cast<std::uint64_t>(fatBits(type)),
                                              std::uint64_t{8} * kSectorBytes);
    // Data starts on a cluster boundary, so a cluster never straddles a flash page or an
    // erase block that the volume itself starts on.
    const std::uint32_t misalignment = geometry.firstDataSector() % sectorsPerCluster;
    if (misalignment != 0) geometry.reservedSectors += sectorsPerCluster - misalignment;
    const std::uint32_t firstData = geometry.firstDataSector();
    geometry.clusterCount = totalSectors > firstData ? (totalSectors - firstData) / sectorsPerCluster : 0;
    return geometry;
}

}  // namespace

std::uint32_t VolumeGeometry::rootSectors() const {
    return divideRoundingUp(std::uint64_t{rootEntryCount} * kDirectoryEntryBytes, kSectorBytes);
}

std::uint32_t VolumeGeometry::firstRootSector() const { return reservedSectors + kFatCopies * sectorsPerFat; }

std::uint32_t VolumeGeometry::firstDataSector() const { return firstRootSector() + rootSectors(); }

int fatBits(FatType type) {
    switch (type) {
        case FatType::Fat12: return 12;
        case FatType::Fat16: return 16;
        case FatType::Fat32: break;
    }
    return 32;
}

std::string_view fatTypeName(FatType type) {
    switch (type) {
        case FatType::Fat12: return "FAT12";
        case FatType::Fat16: return "FAT16";
        case FatType::Fat32: break;
    }
    return "FAT32";
}

std::optional<VolumeGeometry> chooseGeometry(std::uint64_t sectors) {
    if (sectors < kMinVolumeSectors || sectors > kMaxVolumeSectors) return std::nullopt;
    const FatType type = typeForSize(sectors);
    const auto totalSectors = static_cast<std::uint32_t>(sectors);
    std::uint32_t sectorsPerCluster = defaultSectorsPerCluster(type, sectors);
    VolumeGeometry geometry = layOut(type, totalSectors, sectorsPerCluster);
    // Where mkfs.fat's cluster leaves too few clusters for the type (a FAT16 volume below
    // 8 MiB), smaller clusters bring the count into its range.
    while (geometry.clusterCount < fewestSafeClusters(type) && sectorsPerCluster > 1) {
        sectorsPerCluster /= 2;
        geometry = layOut(type, totalSectors, sectorsPerCluster);
    }
    return geometry;
}

}  // namespace ib::tools::fat
