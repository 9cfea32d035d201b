// The window's working folder. See working_folder.h.
#include "app/working_folder.h"

#include <system_error>

#include "seams/utf8_path.h"

namespace ib::app {
namespace {

constexpr std::string_view kWorkdirOption = "--workdir";

bool holdsConfiguration(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / "DiskInfo.ini", error);
}

bool isFolder(const std::filesystem::path& folder) {
    std::error_code error;
    return !folder.empty() && std::filesystem::is_directory(folder, error);
}

}  // namespace

std::filesystem::path startFolder(const std::filesystem::path& current, ProfileStore& profile,
                                  const FolderQuestion& ask) {
    if (holdsConfiguration(current)) return current;
    const std::filesystem::path remembered = pathFromUtf8(profile.read(kProfileSection, kWorkingFolderKey));
    if (isFolder(remembered)) return remembered;
    const std::optional<std::filesystem::path> answer = ask ? ask() : std::nullopt;
    if (!answer || !isFolder(*answer)) return current;
    // Not remembered, the answer still holds for this run; the next start asks again.
    (void)rememberWorkingFolder(profile, *answer);
    return *answer;
}

bool rememberWorkingFolder(ProfileStore& profile, const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error).lexically_normal();
    return !error && profile.write(kProfileSection, kWorkingFolderKey, utf8FromPath(absolute));
}

std::vector<std::string> argumentsWithWorkingFolder(const std::vector<std::string>& arguments,
                                                    const std::filesystem::path& folder) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == kWorkdirOption) {
            ++i;  // and its value
        } else if (!argument.starts_with(std::string(kWorkdirOption) + "=")) {
            kept.push_back(argument);
        }
    }
    kept.push_back(std::string(kWorkdirOption));
    kept.push_back(utf8FromPath(folder));
    return kept;
}

}  // namespace ib::app
