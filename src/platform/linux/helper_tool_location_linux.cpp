// Helper tool lookup on Linux: /proc/self/exe names the running program. See
// helper_tool_location.h.
#include "platform/helper_tool_location.h"

#include <unistd.h>

#include <vector>

namespace ib::platform {
namespace {

bool isExecutableFile(const std::filesystem::path& candidate) {
    std::error_code error;
    return std::filesystem::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::filesystem::path> locateTool(std::string_view name, const ToolSearchPlaces& places) {
    std::error_code error;
    std::vector<std::filesystem::path> folders{
        places.workingDirectory.empty() ? std::filesystem::current_path(error) : places.workingDirectory};
    if (!places.executableDirectory.empty()) {
        folders.push_back(places.executableDirectory);
        folders.push_back(places.executableDirectory / ".." / "libexec" / "imageburner");
        folders.push_back(places.executableDirectory / ".." / "tools");
    }
    folders.push_back(places.installedToolsDirectory);
    for (const auto& folder : folders) {
        if (folder.empty()) continue;
        // The executable's folder is a resolved path, so "../" can be taken away lexically.
        const auto candidate = (folder / name).lexically_normal();
        if (isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

ToolSearchPlaces toolSearchPlaces(const std::filesystem::path& workingDirectory) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return ToolSearchPlaces{workingDirectory, error ? std::filesystem::path() : executable.parent_path(),
                            IMAGEBURNER_TOOLS_DIR};
}

std::optional<std::filesystem::path> findHelperTool(std::string_view name,
                                                    const std::filesystem::path& workingDirectory) {
    return locateTool(name, toolSearchPlaces(workingDirectory));
}

}  // namespace ib::platform
