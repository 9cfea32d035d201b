// How many bytes a new file may take in a folder: the file system's space
// free for an unprivileged user. Kept behind one function so that each
// platform can answer it its own way; nullopt when the folder cannot be asked.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace ib {

using RoomProbe = std::function<std::optional<std::uint64_t>(const std::filesystem::path& folder)>;

// The system's answer (statvfs's available blocks on POSIX systems).
std::optional<std::uint64_t> roomForFilesIn(const std::filesystem::path& folder);

}  // namespace ib
