// Which folder the window works in. A folder given on the command line wins;
// a start in a folder that holds DiskInfo.ini works there (a firmware folder
// with the portable program copied into it); any other start (from the Start
// menu, the desktop's menu) takes the folder remembered in the user's profile,
// and with none asks the user once and remembers the answer. The menu's
// "Working folder..." entry remembers its choice and starts the program
// again there.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "seams/profile_store.h"

namespace ib::app {

inline constexpr const char* kWorkingFolderKey = "working_folder";

// Asks the user for a folder; nullopt when cancelled.
using FolderQuestion = std::function<std::optional<std::filesystem::path>()>;

// The working folder of a window started in `current` without a folder on
// its command line: `current` when it holds DiskInfo.ini, else the
// remembered folder while it exists, else what `ask` answers (remembered),
// else `current`.
std::filesystem::path startFolder(const std::filesystem::path& current, ProfileStore& profile,
                                  const FolderQuestion& ask);

// Remembers `folder` for the next start; false when the profile refused it.
[[nodiscard]] bool rememberWorkingFolder(ProfileStore& profile, const std::filesystem::path& folder);

// `arguments` (without the program's name) for a start in `folder`: any
// --workdir given is replaced, the other options stay as they were.
std::vector<std::string> argumentsWithWorkingFolder(const std::vector<std::string>& arguments,
                                                    const std::filesystem::path& folder);

}  // namespace ib::app
