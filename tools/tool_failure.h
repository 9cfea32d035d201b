// The error the helper tools throw for any step that cannot be completed; each tool's
// main() catches it, prints the message on standard error and exits with status 1.
#pragma once

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "seams/utf8_path.h"

namespace ib::tools {

struct ToolFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A path in double quotes, so that names with spaces read unambiguously in messages.
inline std::string quoted(const std::filesystem::path& path) { return '"' + utf8FromPath(path) + '"'; }

// "<what>: <reason for errno>", the usual shape of a failed system call's message.
inline std::string withSystemError(const std::string& what, int errorNumber) {
    return what + ": " + std::strerror(errorNumber);
}

}  // namespace ib::tools
