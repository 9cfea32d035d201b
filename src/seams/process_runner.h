// Runs an external helper tool (folder packing, image merging) and waits for it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ib {

class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // Runs `program` with `arguments` as an argument vector (never through a
    // shell) in `workingDirectory`, waits for it and returns its exit status;
    // -1 when it could not be started or did not exit normally.
    virtual int run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    const std::filesystem::path& workingDirectory) = 0;
};

}  // namespace ib
