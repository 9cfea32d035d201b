// The command line of a Windows process made from an argument vector so that
// the child's C runtime (and CommandLineToArgvW) gives back the same vector.
// Pure, so the rules are tested on every platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ib::platform {

// One argument as the command-line parser reads it back: kept as it is when it
// is not empty and holds no blank or quote; otherwise in double quotes, with
// every quote escaped by a backslash and the backslashes before a quote, or
// before the closing quote, doubled.
std::string quotedArgument(std::string_view argument);

// The program, always in quotes (a program name holds no quote and takes no
// escapes), then each argument after one space.
std::string windowsCommandLine(std::string_view program, const std::vector<std::string>& arguments);

}  // namespace ib::platform
