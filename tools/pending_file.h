// A file written under a temporary name beside its final path and renamed over that path
// only once it is complete, so a failed run never leaves a half-written file under the
// final name and a file already there stays untouched until the new one is whole.
// Writeback to the disk starts while the file is written, so the flush that makes it
// durable at the end is short.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <span>

#include "tools/tool_failure.h"

namespace ib::tools {

// The permissions a file gets when this process creates it: 0666 less the umask.
mode_t permissionsOfANewFile();

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
    // Appends the first `length` bytes of the open file `source`, inside the kernel where
    // it can (no pass through this process; shared extents where the file system has
    // them). Throws ToolFailure on any error, and when `source` is shorter.
    void appendCopyOf(int source, std::uint64_t length);
    // Makes the pending file, still empty, a further name of the file at `source` (a hard
    // link): its content without writing a byte. Later changes to either name show in
    // both. False, with the pending file as it was, when the file system cannot do that
    // (another file system, no hard links).
    [[nodiscard]] bool shareContentOf(const std::filesystem::path& source);
    // Flushes the file to the disk and renames it to the final path, replacing what was
    // there, and flushes the folder so the new name lasts too. Throws ToolFailure when
    // any of that fails; a file that was not renamed then goes.
    void commit();

private:
    ToolFailure writeFailure(int errorNumber) const;
    void appendByReading(int source, std::uint64_t from, std::uint64_t length);
    // Starts writeback of what was written up to the file position since the last call,
    // in steps, and waits for the step before, so dirty pages never pile up ahead of the disk.
    void writeBehind();

    std::filesystem::path m_finalPath;
    std::filesystem::path m_temporaryPath;
    int m_fd = -1;
    bool m_committed = false;
    std::uint64_t m_writebackStarted = 0;  // bytes from the start whose writeback has been started
};

}  // namespace ib::tools
