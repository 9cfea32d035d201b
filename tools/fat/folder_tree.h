// The folder to pack, read in full before anything is written: every entry with its
// name, size and modification time, each checked that a FAT volume can hold it as it is,
// so that a folder FAT cannot hold faithfully is refused before an image exists.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/fat/fat_time.h"

namespace ib::tools::fat {

// Folders inside folders, counted from the packed folder's own entries (depth 1). Far
// beyond any recorder's content, and it bounds the walk's recursion.
inline constexpr int kMaxFolderDepth = 32;
// A FAT directory entry holds a file's size in 32 bits.
inline constexpr std::uint64_t kMaxFileBytes = 0xFFFFFFFFu;

struct FolderEntry {
    std::string name;               // UTF-8, as in the folder; empty for the packed folder itself
    std::filesystem::path source;   // where the entry lies
    bool isFolder = false;
    std::uint64_t size = 0;         // files only
    CivilTime modified;
    std::vector<FolderEntry> children;  // folders only, sorted by name
};

// Reads `folder` recursively. Plain folders and regular files (also through symbolic
// links to files) are taken; throws ToolFailure naming the first entry that is anything
// else, has a name FAT cannot hold, clashes with a sibling's name in FAT's case-blind
// comparison, is a file of 4 GiB or more, or is a folder nested deeper than kMaxFolderDepth.
FolderEntry readFolderTree(const std::filesystem::path& folder);

}  // namespace ib::tools::fat
