// The file system's free space. See file_system_room.h.
#include "seams/file_system_room.h"

namespace ib {

std::optional<std::uint64_t> roomForFilesIn(const std::filesystem::path& folder) {
    std::error_code ec;
    const std::filesystem::space_info info = std::filesystem::space(folder, ec);
    if (ec) return std::nullopt;
    return info.available;
}

}  // namespace ib
