// Reading and checking the folder to pack. See folder_tree.h.
#include "tools/fat/folder_tree.h"

#include <algorithm>
#include <map>

#include "seams/utf8_path.h"
#include "tools/fat/long_name.h"
#include "tools/tool_failure.h"

namespace ib::tools::fat {
namespace {

namespace fs = std::filesystem;

FolderEntry readEntry(const fs::directory_entry& entry, int depth);

// Every entry of `folder`, checked and sorted by name; `depth` is theirs.
std::vector<FolderEntry> readChildren(const fs::path& folder, int depth) {
    std::vector<fs::directory_entry> entries(fs::directory_iterator(folder), fs::directory_iterator{});
    std::sort(entries.begin(), entries.end());

    std::map<std::u16string, std::string> namesByCaseBlindName;
    std::vector<FolderEntry> children;
    for (const auto& entry : entries) {
        const std::string name = utf8FromPath(entry.path().filename());
        if (auto problem = longNameProblem(name)) throw ToolFailure(quoted(entry.path()) + ": " + *problem);
        const auto [earlier, isNew] = namesByCaseBlindName.emplace(caseBlindName(utf16Name(name)), name);
        if (!isNew) {
            throw ToolFailure(quoted(entry.path()) + " and \"" + earlier->second +
                              "\" differ only in letter case, which FAT does not tell apart");
        }
        children.push_back(readEntry(entry, depth));
    }
    return children;
}

FolderEntry readEntry(const fs::directory_entry& entry, int depth) {
    FolderEntry read;
    read.name = utf8FromPath(entry.path().filename());
    read.source = entry.path();
    const bool isLink = entry.is_symlink();
    if (entry.is_directory() && !isLink) {
        if (depth > kMaxFolderDepth) {
            throw ToolFailure(quoted(entry.path()) + " lies " + std::to_string(depth) +
                              " folders deep; TreeBaler packs folders " + std::to_string(kMaxFolderDepth) +
                              " deep at most");
        }
        read.isFolder = true;
        read.children = readChildren(entry.path(), depth + 1);
    } else if (entry.is_regular_file()) {
        read.size = entry.file_size();
        if (read.size > kMaxFileBytes) {
            throw ToolFailure(quoted(entry.path()) + " is 4 GiB or larger, more than a FAT file can hold");
        }
    } else if (entry.is_directory()) {
        // A link to a folder may lead back up the tree, and the walk would never end.
        throw ToolFailure(quoted(entry.path()) + " is a symbolic link to a folder, which is not packed");
    } else {
        throw ToolFailure(quoted(entry.path()) + " is neither a regular file nor a folder");
    }
    read.modified = localTimeOf(entry.last_write_time());
    return read;
}

}  // namespace

FolderEntry readFolderTree(const fs::path& folder) {
    if (!fs::is_directory(folder)) throw ToolFailure(quoted(folder) + " is not a folder");
    FolderEntry root;
    root.source = folder;
    root.isFolder = true;
    root.modified = localTimeOf(fs::last_write_time(folder));
    root.children = readChildren(folder, 1);
    return root;
}

}  // namespace ib::tools::fat
