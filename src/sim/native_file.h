// A file of the state folder opened through the system's own calls, for what
// streams cannot do: reads and writes at 64-bit offsets, appends that stay
// whole when several processes write, holes in sparse files, truncation. Each
// platform has its own implementation file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/area_store.h"

namespace ib::sim {

class NativeFile {
public:
    enum class Mode {
        Sparse,  // read and write at offsets; created sparse where the file system can
        Append,  // every write goes to the end
    };

    // Opens or creates the file. Null when it cannot, with the reason in `error`.
    static std::unique_ptr<NativeFile> open(const std::filesystem::path& path, Mode mode, std::string& error);
    ~NativeFile();
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Fills `out` from `offset`; `got` receives how many bytes the file held there.
    [[nodiscard]] bool readAt(std::uint64_t offset, std::span<std::uint8_t> out, std::size_t& got);
    [[nodiscard]] bool writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    [[nodiscard]] bool append(std::span<const std::uint8_t> bytes);
    std::uint64_t size() const;  // 0 when unknown
    [[nodiscard]] bool truncate(std::uint64_t length);
    // Frees the range, which then reads zeros; false where the file system cannot.
    [[nodiscard]] bool punchHole(std::uint64_t offset, std::uint64_t length);
    // The ranges that may hold data, in order; nullopt when the file system
    // does not tell (then all of the file may).
    std::optional<std::vector<ByteExtent>> dataExtents();

    // The system's text for the last failed call of this thread.
    static std::string lastError();

private:
    explicit NativeFile(std::intptr_t handle) : m_handle(handle) {}
    std::intptr_t m_handle;
};

}  // namespace ib::sim
