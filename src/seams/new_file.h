// Creates a file that did not exist: fails when anything of that name is there
// already, a file, a folder or a link, dangling or not. A name we write through
// must be one we made ourselves, never an old name that may be a second name
// (a hard link) of another file, or a link planted by someone else. Also the
// system calls an output written under a temporary name needs: writes that a
// signal cannot cut short, a flush to the disk, and a rename that lasts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace ib {

// Creates `path` as an empty regular file; false when the name was taken or
// the file could not be created.
[[nodiscard]] bool createNewFile(const std::filesystem::path& path);

// A file made anew by this program and open for writing. Its handle is never
// inherited by a helper tool the program starts meanwhile.
class NewFileWriter {
public:
    NewFileWriter() = default;
    ~NewFileWriter();  // closes the file, if still open

    NewFileWriter(const NewFileWriter&) = delete;
    NewFileWriter& operator=(const NewFileWriter&) = delete;

    // Creates `path` as createNewFile does and keeps it open; false when it could not.
    [[nodiscard]] bool create(const std::filesystem::path& path);
    bool isOpen() const { return m_open; }
    // Writes all of `bytes` at the file position, going on where a signal
    // interrupted the system call; false on any error (a full disk included).
    [[nodiscard]] bool writeAll(std::span<const std::uint8_t> bytes);
    // Waits until what was written is on the disk: without it, a power cut
    // after the rename could leave the new name holding nothing.
    [[nodiscard]] bool flushToDisk();
    // false when the close reported a write error.
    [[nodiscard]] bool close();

private:
    std::intptr_t m_handle = -1;  // a descriptor (POSIX) or a HANDLE (Windows)
    bool m_open = false;
};

// Renames `from` over `to`, replacing it, and makes the new name last across
// a power cut. false, with both as they were, when the rename fails.
[[nodiscard]] bool renameDurably(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace ib
