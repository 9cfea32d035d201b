// The file allocation table of a volume whose chains lie one after another from the
// first data cluster, each a run of consecutive clusters. It is written as a stream, so
// the many MiB of a large FAT32 table never sit in memory, and the free entries after
// the last chain, all zero, are skipped.
#pragma once

#include <cstdint>
#include <span>

#include "tools/fat/image_sink.h"
#include "tools/fat/volume_geometry.h"

namespace ib::tools::fat {

struct ClusterRun {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

// Writes one copy of the FAT: sectorsPerFat sectors. `chains` follow each other without
// gaps from kFirstDataCluster on.
void writeFatTable(const VolumeGeometry& geometry, std::span<const ClusterRun> chains, ImageSink& sink);

}  // namespace ib::tools::fat
