// Short names and cluster placement for the whole tree. See volume_layout.h.
#include "tools/fat/volume_layout.h"

#include <algorithm>
#include <string>

#include "tools/fat/directory_entry.h"
#include "tools/fat/long_name.h"
#include "tools/tool_failure.h"

namespace ib::tools::fat {
namespace {

// The most records a FAT directory may hold (2 MiB of them); readers stop there.
constexpr std::uint64_t kMaxDirectoryRecords = 65536;

std::uint64_t divideRoundingUp(std::uint64_t value, std::uint64_t divisor) { return (value + divisor - 1) / divisor; }

class Placer {
public:
    Placer(const VolumeGeometry& geometry, bool withLabel) : m_withLabel(withLabel) { m_layout.geometry = geometry; }

    VolumeLayout place(const FolderEntry& root) {
        m_layout.root = &root;
        placeFolder(root, 0, true);
        refuseWhatDoesNotFit();
        m_layout.usedClusters = static_cast<std::uint32_t>(m_nextCluster - kFirstDataCluster);
        return std::move(m_layout);
    }

private:
    const VolumeGeometry& geometry() const { return m_layout.geometry; }

    // Returns the folder's first cluster; 0 for the root, which ".." entries point at.
    std::uint32_t placeFolder(const FolderEntry& folder, std::uint32_t parentCluster, bool isRoot) {
        DirectoryPlan plan = planDirectory(folder, parentCluster, isRoot);
        const bool inRootRegion = isRoot && geometry().type != FatType::Fat32;
        const std::size_t index = m_layout.extents.size();
        if (inRootRegion) {
            m_layout.rootRegion = std::move(plan);
        } else {
            plan.firstCluster = allocate(plan.clusterCount);
            m_layout.extents.emplace_back(std::move(plan));
        }
        const std::uint32_t ownCluster = isRoot ? 0 : std::get<DirectoryPlan>(m_layout.extents[index]).firstCluster;

        std::vector<std::uint32_t> childClusters(folder.children.size());
        for (std::size_t i = 0; i < folder.children.size(); ++i) {
            if (!folder.children[i].isFolder) childClusters[i] = placeFile(folder.children[i]);
        }
        for (std::size_t i = 0; i < folder.children.size(); ++i) {
            if (folder.children[i].isFolder) childClusters[i] = placeFolder(folder.children[i], ownCluster, false);
        }
        DirectoryPlan& placed =
            inRootRegion ? *m_layout.rootRegion : std::get<DirectoryPlan>(m_layout.extents[index]);
        placed.childClusters = std::move(childClusters);
        return ownCluster;
    }

    DirectoryPlan planDirectory(const FolderEntry& folder, std::uint32_t parentCluster, bool isRoot) const {
        // The root holds the label entry; any other directory "." and "..".
        const std::uint64_t ownRecords = isRoot ? (m_withLabel ? 1 : 0) : 2;
        // Checked first so that short-name tails stay short, whatever the folder holds.
        refuseOversizedDirectory(folder, ownRecords + folder.children.size());
        std::vector<std::string> names;
        for (const auto& child : folder.children) names.push_back(child.name);

        DirectoryPlan plan;
        plan.folder = &folder;
        plan.isRoot = isRoot;
        plan.parentCluster = parentCluster;
        plan.shortNames = assignShortNames(names);
        std::uint64_t records = ownRecords;
        for (std::size_t i = 0; i < names.size(); ++i) {
            records += entryRecordCount(plan.shortNames[i], utf16Name(names[i]).size());
        }
        refuseOversizedDirectory(folder, records);
        if (isRoot && geometry().type != FatType::Fat32) {
            refuseOverfullRootRegion(records);
        } else {
            // Even an empty FAT32 root has its cluster.
            const std::uint64_t bytes = std::max<std::uint64_t>(records, 1) * kDirectoryEntryBytes;
            plan.clusterCount = static_cast<std::uint32_t>(divideRoundingUp(bytes, geometry().clusterBytes()));
        }
        return plan;
    }

    std::uint32_t placeFile(const FolderEntry& file) {
        if (file.size == 0) return 0;
        FilePlan plan;
        plan.file = &file;
        plan.clusterCount = static_cast<std::uint32_t>(divideRoundingUp(file.size, geometry().clusterBytes()));
        plan.firstCluster = allocate(plan.clusterCount);
        m_layout.extents.emplace_back(plan);
        return plan.firstCluster;
    }

    // Counts on in 64 bits, so that a folder far too large for the volume is refused at
    // the end rather than wrapping round.
    std::uint32_t allocate(std::uint32_t clusters) {
        const std::uint64_t first = m_nextCluster;
        m_nextCluster += clusters;
        return static_cast<std::uint32_t>(first);
    }

    void refuseOversizedDirectory(const FolderEntry& folder, std::uint64_t records) const {
        if (records <= kMaxDirectoryRecords) return;
        throw ToolFailure(quoted(folder.source) + " needs " + std::to_string(records) +
                          " directory records, more than the " + std::to_string(kMaxDirectoryRecords) +
                          " a FAT folder can hold");
    }

    void refuseOverfullRootRegion(std::uint64_t records) const {
        if (records <= geometry().rootEntryCount) return;
        throw ToolFailure("the folder's own entries need " + std::to_string(records) +
                          " directory records (a long name takes one more for every 13 characters), more than the " +
                          std::to_string(geometry().rootEntryCount) + " a " +
                          std::string(fatTypeName(geometry().type)) +
                          " root directory holds; put some of them into a subfolder");
    }

    void refuseWhatDoesNotFit() const {
        const std::uint64_t needed = m_nextCluster - kFirstDataCluster;
        if (needed <= geometry().clusterCount) return;
        throw ToolFailure("the folder's files and folders (" + std::to_string(needed) + " clusters of " +
                          std::to_string(geometry().clusterBytes()) + " bytes) do not fit in the " +
                          std::to_string(geometry().clusterCount) + " clusters of a " +
                          std::string(fatTypeName(geometry().type)) + " image of " +
                          std::to_string(geometry().totalSectors) + " sectors");
    }

    bool m_withLabel;
    VolumeLayout m_layout;
    std::uint64_t m_nextCluster = kFirstDataCluster;
};

}  // namespace

VolumeLayout layOutVolume(const VolumeGeometry& geometry, const FolderEntry& root, bool withLabel) {
    return Placer(geometry, withLabel).place(root);
}

}  // namespace ib::tools::fat
