// Whether a path names a regular file before anything opens it: opening a
// FIFO waits for a writer, reading a device may never end, and a folder has
// no content to take.
#pragma once

#include <filesystem>
#include <string>

namespace ib {

// "" when `path` names a regular file (a symbolic link followed), else why
// not, in words for a message: "no such file", "a folder, not a file", ...
[[nodiscard]] std::string whyNotARegularFile(const std::filesystem::path& path);

}  // namespace ib
