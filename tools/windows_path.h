// The form of a path the helper tools hand Windows' file functions: made full
// (the tools run in the working folder, which may be long) and, when long, in
// its "\\?\" form.
#pragma once

#include <filesystem>
#include <string>

#include "platform/windows/long_path.h"

namespace ib::tools {

inline std::wstring systemPath(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return platform::extendedLengthPath((error ? path : full).native());
}

}  // namespace ib::tools
