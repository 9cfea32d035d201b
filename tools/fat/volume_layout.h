// Where everything goes in the image: each entry's short name, and the clusters of each
// directory and file, one run after another from the first data cluster in the order
// the writer writes them: a folder's directory, then its files, then its subfolders.
// Laying out refuses a folder that does not fit the volume, a directory with more
// entries than FAT allows, and a FAT12/16 root with more entries than its fixed region.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "tools/fat/folder_tree.h"
#include "tools/fat/short_name.h"
#include "tools/fat/volume_geometry.h"

namespace ib::tools::fat {

struct DirectoryPlan {
    const FolderEntry* folder = nullptr;
    bool isRoot = false;
    std::uint32_t firstCluster = 0;   // 0: the root region of a FAT12/16 volume
    std::uint32_t parentCluster = 0;  // for "..": 0 when the parent is the root
    std::uint32_t clusterCount = 0;
    std::vector<ShortName> shortNames;         // one per child of `folder`, in its order
    std::vector<std::uint32_t> childClusters;  // each child's first cluster; 0: an empty file
};

struct FilePlan {
    const FolderEntry* file = nullptr;
    std::uint32_t firstCluster = 0;
    std::uint32_t clusterCount = 0;
};

// A run of consecutive clusters holding one directory or one file.
using Extent = std::variant<DirectoryPlan, FilePlan>;

struct VolumeLayout {
    VolumeGeometry geometry;
    const FolderEntry* root = nullptr;        // the folder laid out
    std::optional<DirectoryPlan> rootRegion;  // FAT12/16: the root in its fixed region
    std::vector<Extent> extents;              // in cluster order from the first data cluster
    std::uint32_t usedClusters = 0;
};

// Lays out `root` (which must outlive the layout) on a volume of `geometry`, with room
// for a label entry in the root directory when `withLabel`. Throws ToolFailure when the
// folder cannot be packed as it is.
VolumeLayout layOutVolume(const VolumeGeometry& geometry, const FolderEntry& root, bool withLabel);

}  // namespace ib::tools::fat
