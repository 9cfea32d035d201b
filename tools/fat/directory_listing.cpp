// Directory contents from the layout. See directory_listing.h.
#include "tools/fat/directory_listing.h"

#include "tools/fat/directory_entry.h"
#include "tools/fat/long_name.h"

namespace ib::tools::fat {
namespace {

constexpr ShortNameField kDotName{'.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
constexpr ShortNameField kDotDotName{'.', '.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

ShortEntry folderEntry(const ShortNameField& name, const CivilTime& modified, std::uint32_t firstCluster) {
    ShortEntry entry;
    entry.name = name;
    entry.kind = EntryKind::Folder;
    entry.modified = modified;
    entry.firstCluster = firstCluster;
    return entry;
}

}  // namespace

std::vector<std::uint8_t> directoryRecords(const DirectoryPlan& directory, const VolumeIdentity& identity) {
    const FolderEntry& folder = *directory.folder;
    std::vector<std::uint8_t> records;
    if (!directory.isRoot) {
        appendShortEntry(folderEntry(kDotName, folder.modified, directory.firstCluster), records);
        appendShortEntry(folderEntry(kDotDotName, folder.modified, directory.parentCluster), records);
    } else if (identity.label) {
        ShortEntry label;
        label.name = *identity.label;
        label.kind = EntryKind::VolumeLabel;
        label.modified = folder.modified;
        appendShortEntry(label, records);
    }
    for (std::size_t i = 0; i < folder.children.size(); ++i) {
        const FolderEntry& child = folder.children[i];
        const ShortName& shortName = directory.shortNames[i];
        if (shortName.needsLongName) appendLongNameEntries(utf16Name(child.name), shortName.field, records);
        if (child.isFolder) {
            appendShortEntry(folderEntry(shortName.field, child.modified, directory.childClusters[i]), records);
        } else {
            ShortEntry file;
            file.name = shortName.field;
            file.modified = child.modified;
            file.firstCluster = directory.childClusters[i];
            file.size = static_cast<std::uint32_t>(child.size);
            appendShortEntry(file, records);
        }
    }
    return records;
}

}  // namespace ib::tools::fat
