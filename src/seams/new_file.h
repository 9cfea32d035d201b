// Creates a file that did not exist: fails when anything of that name is there
// already, a file, a folder or a link, dangling or not. A name we write through
// must be one we made ourselves, never an old name that may be a second name
// (a hard link) of another file, or a link planted by someone else.
#pragma once

#include <filesystem>

namespace ib {

// Creates `path` as an empty regular file; false when the name was taken or
// the file could not be created.
[[nodiscard]] bool createNewFile(const std::filesystem::path& path);

}  // namespace ib
