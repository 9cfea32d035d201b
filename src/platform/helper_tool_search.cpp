// The search for helper tools shared by every platform; each platform's own
// file says where the running program is. See helper_tool_location.h.
#include <vector>

#include "platform/helper_tool_location.h"
#include "seams/utf8_path.h"

namespace ib::platform {
namespace {

bool isExecutableFile(const std::filesystem::path& candidate) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(candidate, error)) return false;
    constexpr auto anyExecute = std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                std::filesystem::perms::others_exec;
    return (std::filesystem::status(candidate, error).permissions() & anyExecute) != std::filesystem::perms::none;
}

}  // namespace

std::optional<std::filesystem::path> locateTool(std::string_view name, const ToolSearchPlaces& places) {
    std::vector<std::filesystem::path> folders;
    if (!places.executableDirectory.empty()) {
        folders.push_back(places.executableDirectory);
        folders.push_back(places.executableDirectory / ".." / "libexec" / "imageburner");
        folders.push_back(places.executableDirectory / ".." / "tools");
    }
    folders.push_back(places.installedToolsDirectory);
    std::error_code error;
    folders.push_back(places.workingDirectory.empty() ? std::filesystem::current_path(error)
                                                      : places.workingDirectory);
    const auto fileName = pathFromUtf8(std::string(name) + IMAGEBURNER_EXECUTABLE_SUFFIX);
    for (const auto& folder : folders) {
        if (folder.empty()) continue;
        // The executable's folder is a resolved path, so "../" can be taken away lexically.
        const auto candidate = (folder / fileName).lexically_normal();
        if (isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> findHelperTool(std::string_view name,
                                                    const std::filesystem::path& workingDirectory) {
    return locateTool(name, toolSearchPlaces(workingDirectory));
}

}  // namespace ib::platform
