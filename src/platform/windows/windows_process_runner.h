// Helper tools on Windows: CreateProcessW with a command line quoted from the
// argument vector, never a console window of their own, waited for.
#pragma once

#include "seams/process_runner.h"

namespace ib::platform {

class WindowsProcessRunner final : public ProcessRunner {
public:
    int run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingDirectory) override;
};

}  // namespace ib::platform
