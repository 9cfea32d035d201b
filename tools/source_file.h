// The intermediate image mergeimg reads: opened read-only once, then read at any
// offset, from more than one thread at a time (the copy and the digest). It also
// says whether the file could become the output by a hard link without anyone
// telling the difference from a copy.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "tools/native_handle.h"

namespace ib::tools {

class SourceFile {
public:
    // Throws ToolFailure when `path` cannot be opened or is a folder.
    explicit SourceFile(const std::filesystem::path& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    NativeHandle handle() const { return m_handle; }
    // Absolute, so that it can be linked to from another folder.
    const std::filesystem::path& path() const { return m_path; }
    std::uint64_t size() const { return m_size; }

    // Reads up to `bytes.size()` bytes at `offset` into `bytes`; the count read, 0 at the
    // end of the file. Throws ToolFailure on a read error.
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const;
    // Whether a hard link at `output` gives exactly what a copy would: a plain file of
    // ours, known by no other name, with the access a new file at `output` would get, in
    // a folder where the caller can delete it afterwards (so the content does not stay
    // reachable under two names).
    bool linkGivesACopy(const std::filesystem::path& output) const;
    // Whether `other` names this very file (merging a file onto itself keeps it as it is).
    bool isTheSameFileAs(const std::filesystem::path& other) const;

private:
    std::filesystem::path m_path;
    NativeHandle m_handle{};
    std::uint64_t m_size = 0;
};

}  // namespace ib::tools
