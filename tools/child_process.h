// Runs another program (mkfs.fat, mcopy) as a child process with an argument vector,
// never through a shell, and collects what it prints, so a tool stays quiet when the
// child succeeds and can pass the child's own words on when it fails.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ib::tools {

struct ChildOutcome {
    int exitStatus = -1;  // -1: the child could not be started or was ended by a signal
    std::string output;   // standard output and error as one stream, the last 64 KiB at most
};

// Runs the program at `argv[0]` (a full path) with the rest of `argv` as its arguments.
// The child reads standard input from /dev/null, so a program that would stop to ask a
// question gets end-of-file instead of waiting forever; `extraEnvironment` entries
// ("NAME=value") replace or add to this process's environment for the child only.
ChildOutcome runChild(const std::vector<std::string>& argv,
                      const std::vector<std::string>& extraEnvironment);

// Full path of the executable `name`: looked up along PATH, then in /usr/sbin and /sbin,
// where Debian keeps mkfs.fat but an ordinary user's PATH does not reach. nullopt: none.
std::optional<std::filesystem::path> findProgram(std::string_view name);

}  // namespace ib::tools
