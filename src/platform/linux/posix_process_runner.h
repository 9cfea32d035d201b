// Runs a helper tool on Linux with posix_spawn: an argument vector, never a
// shell, so file names reach the tool exactly as given. Made by the platform
// factory.
#pragma once

#include "seams/process_runner.h"

namespace ib::platform {

class PosixProcessRunner final : public ProcessRunner {
public:
    // The child starts in `workingDirectory` (unchanged when empty); the
    // result is its exit status, or -1 when it could not be started or was
    // ended by a signal.
    int run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingDirectory) override;
};

}  // namespace ib::platform
