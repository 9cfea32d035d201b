// The one entry point of each helper tool, given its arguments in UTF-8 whatever the
// platform hands the process (bytes on POSIX systems, UTF-16 on Windows), so that file
// names outside ASCII reach the tool intact. Each tool defines runTool; the platform's
// tool_entry file defines main.
#pragma once

#include <span>
#include <string>

namespace ib::tools {

// The arguments after the program's name; returns the exit status.
int runTool(std::span<const std::string> arguments);

}  // namespace ib::tools
