// A file written under a temporary name beside its final path and renamed over that path
// only once it is complete, so a failed run never leaves a half-written file under the
// final name and a file already there stays untouched until the new one is whole.
// On Linux writeback to the disk starts while the file is written, so the flush that
// makes it durable at the end is short.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "tools/native_handle.h"
#include "tools/source_file.h"
#include "tools/tool_failure.h"

namespace ib::tools {

class PendingFile {
public:
    // Creates the temporary file in the folder of `finalPath`, with the access a new
    // file would get there. Throws ToolFailure when it cannot be created, or when
    // `finalPath` exists and is not a regular file (a device, a FIFO, a folder).
    explicit PendingFile(const std::filesystem::path& finalPath);
    // Removes the temporary file unless commit() has succeeded.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Absolute, so a child process can be given it whatever its working folder.
    const std::filesystem::path& temporaryPath() const { return m_temporaryPath; }
    const std::filesystem::path& finalPath() const { return m_finalPath; }

    // Appends all of `bytes` at the file position; throws ToolFailure on any error, a
    // full disk included.
    void writeAll(std::span<const std::uint8_t> bytes);
    // Moves the file position to `offset` from the start; bytes skipped past the end
    // read as zeros. Throws ToolFailure when the position cannot be set.
    void seekTo(std::uint64_t offset);
    // Makes the file exactly `length` bytes long. Throws ToolFailure when it cannot.
    void resize(std::uint64_t length);
    // Appends the first `length` bytes of `source`, inside the kernel where it can (no
    // pass through this process; shared extents where the file system has them).
    // Throws ToolFailure on any error, and when `source` is shorter.
    void appendCopyOf(const SourceFile& source, std::uint64_t length);
    // Makes the pending file, still empty, a further name of the file at `source` (a hard
    // link): its content without writing a byte. Later changes to either name show in
    // both. False, with the pending file as it was, when the file system cannot do that
    // (another file system or volume, no hard links).
    [[nodiscard]] bool shareContentOf(const std::filesystem::path& source);
    // Flushes the file to the disk and renames it to the final path, replacing what was
    // there, and makes the new name last too. Throws ToolFailure when any of that fails;
    // a file that was not renamed then goes.
    void commit();

private:
    // `finalPath` made absolute, once checked that it names a file that may be replaced.
    static std::filesystem::path checkedFinalPath(const std::filesystem::path& finalPath);
    // "writing <final path> failed: <reason>".
    ToolFailure writeFailure(const std::string& reason) const;
    void appendByReading(const SourceFile& source, std::uint64_t length);

    std::filesystem::path m_finalPath;
    std::filesystem::path m_temporaryPath;
    NativeHandle m_handle{};
    bool m_isOpen = false;
    bool m_committed = false;
    std::uint64_t m_writebackStarted = 0;  // Linux: bytes from the start whose writeback has been started
};

}  // namespace ib::tools
