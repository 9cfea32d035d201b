// A file written under a temporary name beside its final path and renamed over that path
// only once it is complete, so a failed run never leaves a half-written file under the
// final name and a file already there stays untouched until the new one is whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "tools/tool_failure.h"

namespace ib::tools {

class PendingFile {
public:
    // Creates the temporary file in the folder of `finalPath`, with the permissions a
    // new file would get there. Throws ToolFailure when it cannot be created, or when
    // `finalPath` exists and is not a regular file (a device, a FIFO, a folder).
    explicit PendingFile(const std::filesystem::path& finalPath);
    // Removes the temporary file unless commit() has succeeded.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int descriptor() const { return m_fd; }
    // Absolute, so a child process can be given it whatever its working folder.
    const std::filesystem::path& temporaryPath() const { return m_temporaryPath; }
    const std::filesystem::path& finalPath() const { return m_finalPath; }

    // Appends all of `bytes`; throws ToolFailure on any error, a full disk included.
    void writeAll(std::span<const std::uint8_t> bytes);
    // Flushes the file to the disk and renames it to the final path, replacing what was
    // there. Throws ToolFailure when any of that fails; the temporary file then goes.
    void commit();

private:
    ToolFailure writeFailure(int errorNumber) const;

    std::filesystem::path m_finalPath;
    std::filesystem::path m_temporaryPath;
    int m_fd = -1;
    bool m_committed = false;
};

}  // namespace ib::tools
