// Where the running program is on Linux: /proc/self/exe names it. See
// helper_tool_location.h.
#include "platform/helper_tool_location.h"

namespace ib::platform {

ToolSearchPlaces toolSearchPlaces(const std::filesystem::path& workingDirectory) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return ToolSearchPlaces{workingDirectory, error ? std::filesystem::path() : executable.parent_path(),
                            IMAGEBURNER_TOOLS_DIR};
}

}  // namespace ib::platform
