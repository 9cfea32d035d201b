// Where the running program is on Windows: GetModuleFileNameW names it. See
// helper_tool_location.h.
#include <windows.h>

#include <vector>

#include "platform/helper_tool_location.h"

namespace ib::platform {
namespace {

std::filesystem::path executableFolder() {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) return std::filesystem::path(std::wstring(name.data(), length)).parent_path();
        name.resize(name.size() * 2);  // cut off: ask again with more room
    }
}

}  // namespace

ToolSearchPlaces toolSearchPlaces(const std::filesystem::path& workingDirectory) {
    return ToolSearchPlaces{workingDirectory, executableFolder(), IMAGEBURNER_TOOLS_DIR};
}

}  // namespace ib::platform
