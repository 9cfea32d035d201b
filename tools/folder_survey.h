// Checks, before anything is written, that every entry of the folder to pack can be
// stored in a FAT file system under its own name. mcopy otherwise fails without a word
// (an illegal or clashing name) or waits forever (a FIFO), so the check comes first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ib::tools {

struct FolderSurvey {
    std::vector<std::filesystem::path> topLevelEntries;  // the folder's own entries, sorted
    std::vector<std::string> packedPaths;  // every entry as "sub/name", folders ending in "/"
    std::uint64_t fileBytes = 0;           // sum of all file sizes, recursively
};

// Walks `folder` recursively. Plain folders and regular files (also through symbolic
// links to files) are accepted; throws ToolFailure naming the first entry that is
// anything else, has a name FAT cannot hold, clashes with a sibling's name in FAT's
// case-blind comparison, or is larger than the 4 GiB - 1 bytes a FAT file can be.
FolderSurvey surveyFolder(const std::filesystem::path& folder);

// Why `name` cannot be a FAT long file name as it stands; nullopt when it can.
std::optional<std::string> fatNameProblem(std::string_view name);

}  // namespace ib::tools
