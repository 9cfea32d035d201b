// The sectors that open a FAT volume: the boot sector, whose parameter block describes
// the geometry and names the volume, and on FAT32 the FSInfo sector with the count of
// free clusters. FAT32 keeps a backup of both a few sectors further on.
#pragma once

#include <array>
#include <cstdint>

#include "tools/fat/volume_geometry.h"
#include "tools/fat/volume_identity.h"

namespace ib::tools::fat {

using Sector = std::array<std::uint8_t, kSectorBytes>;

inline constexpr std::uint32_t kFsInfoSector = 1;
inline constexpr std::uint32_t kBackupBootSector = 6;
// The FAT's media byte and the boot sector's: a fixed disk.
inline constexpr std::uint8_t kMediaDescriptor = 0xF8;

// The boot sector naming the volume with `identity`'s label and `serial`.
Sector bootSector(const VolumeGeometry& geometry, const VolumeIdentity& identity, std::uint32_t serial);

// `nextFreeCluster`: where a writer should start looking for a free cluster.
Sector fsInfoSector(std::uint32_t freeClusters, std::uint32_t nextFreeCluster);

}  // namespace ib::tools::fat
