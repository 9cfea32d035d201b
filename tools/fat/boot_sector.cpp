// Boot sector and FSInfo sector. See boot_sector.h.
#include "tools/fat/boot_sector.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "tools/fat/little_endian.h"

namespace ib::tools::fat {
namespace {

// Some readers check the name of the formatter; this is the one all of them accept.
constexpr std::string_view kOemName = "MSWIN4.1";
// Booting the volume makes the BIOS try the next boot device (int 18h), then halts.
constexpr std::array<std::uint8_t, 5> kBootCode{0xCD, 0x18, 0xF4, 0xEB, 0xFD};
// Geometry a BIOS would translate the volume with; nothing reads it for LBA access.
constexpr std::uint16_t kSectorsPerTrack = 63;
constexpr std::uint16_t kHeads = 255;
constexpr std::uint8_t kFixedDiskDriveNumber = 0x80;
constexpr std::uint8_t kExtendedBootSignature = 0x29;
constexpr std::uint32_t kFat32RootCluster = kFirstDataCluster;

constexpr std::uint32_t kFsInfoLeadSignature = 0x41615252;
constexpr std::uint32_t kFsInfoStructSignature = 0x61417272;
constexpr std::uint32_t kFsInfoTrailSignature = 0xAA550000;

// Where the extended parameter block begins: after the FAT32-only fields, or right
// after the common block on FAT12/16.
constexpr std::size_t kFat32ExtendedBlock = 64;
constexpr std::size_t kFat16ExtendedBlock = 36;

void putText(Sector& sector, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), sector.begin() + static_cast<std::ptrdiff_t>(offset));
}

void putCommonBlock(Sector& sector, const VolumeGeometry& geometry) {
    const bool fat32 = geometry.type == FatType::Fat32;
    const bool smallTotal = !fat32 && geometry.totalSectors <= 0xFFFF;
    putLittleEndian16(sector, 11, kSectorBytes);
    sector[13] = static_cast<std::uint8_t>(geometry.sectorsPerCluster);
    putLittleEndian16(sector, 14, static_cast<std::uint16_t>(geometry.reservedSectors));
    sector[16] = kFatCopies;
    putLittleEndian16(sector, 17, static_cast<std::uint16_t>(geometry.rootEntryCount));
    putLittleEndian16(sector, 19, smallTotal ? static_cast<std::uint16_t>(geometry.totalSectors) : 0);
    sector[21] = kMediaDescriptor;
    putLittleEndian16(sector, 22, fat32 ? 0 : static_cast<std::uint16_t>(geometry.sectorsPerFat));
    putLittleEndian16(sector, 24, kSectorsPerTrack);
    putLittleEndian16(sector, 26, kHeads);
    putLittleEndian32(sector, 28, 0);  // hidden sectors: the image does not know where it will lie
    putLittleEndian32(sector, 32, smallTotal ? 0 : geometry.totalSectors);
}

void putFat32Block(Sector& sector, const VolumeGeometry& geometry) {
    putLittleEndian32(sector, 36, geometry.sectorsPerFat);
    putLittleEndian16(sector, 40, 0);  // both FATs mirrored
    putLittleEndian16(sector, 42, 0);  // version 0.0
    putLittleEndian32(sector, 44, kFat32RootCluster);
    putLittleEndian16(sector, 48, kFsInfoSector);
    putLittleEndian16(sector, 50, kBackupBootSector);
}

// Returns the offset just past the block, where the boot code starts.
std::size_t putExtendedBlock(Sector& sector, std::size_t offset, const VolumeGeometry& geometry,
                             const VolumeIdentity& identity, std::uint32_t serial) {
    sector[offset] = kFixedDiskDriveNumber;
    sector[offset + 2] = kExtendedBootSignature;
    putLittleEndian32(sector, offset + 3, serial);
    putText(sector, offset + 7, std::string_view(identity.bootSectorLabel().data(), kLabelLength));
    std::string typeField(8, ' ');
    typeField.replace(0, fatTypeName(geometry.type).size(), fatTypeName(geometry.type));
    putText(sector, offset + 18, typeField);
    return offset + 26;
}

}  // namespace

Sector bootSector(const VolumeGeometry& geometry, const VolumeIdentity& identity, std::uint32_t serial) {
    Sector sector{};
    const bool fat32 = geometry.type == FatType::Fat32;
    putCommonBlock(sector, geometry);
    if (fat32) putFat32Block(sector, geometry);
    const std::size_t bootCode =
        putExtendedBlock(sector, fat32 ? kFat32ExtendedBlock : kFat16ExtendedBlock, geometry, identity, serial);
    // A short jump over the parameter blocks to the boot code, then a NOP.
    sector[0] = 0xEB;
    sector[1] = static_cast<std::uint8_t>(bootCode - 2);
    sector[2] = 0x90;
    putText(sector, 3, kOemName);
    std::copy(kBootCode.begin(), kBootCode.end(), sector.begin() + static_cast<std::ptrdiff_t>(bootCode));
    sector[510] = 0x55;
    sector[511] = 0xAA;
    return sector;
}

Sector fsInfoSector(std::uint32_t freeClusters, std::uint32_t nextFreeCluster) {
    Sector sector{};
    putLittleEndian32(sector, 0, kFsInfoLeadSignature);
    putLittleEndian32(sector, 484, kFsInfoStructSignature);
    putLittleEndian32(sector, 488, freeClusters);
    putLittleEndian32(sector, 492, nextFreeCluster);
    putLittleEndian32(sector, 508, kFsInfoTrailSignature);
    return sector;
}

}  // namespace ib::tools::fat
