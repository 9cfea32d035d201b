// Exclusive creation on Windows: CREATE_NEW, which also refuses a reparse
// point of that name; a handle is not inherited unless asked for. See new_file.h.
#include "seams/new_file.h"

#include <windows.h>

#include <algorithm>

namespace ib {
namespace {

// WriteFile takes a 32-bit count.
constexpr std::size_t kMostPerWrite = 1u << 30;

HANDLE createExclusively(const std::filesystem::path& path) {
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool createNewFile(const std::filesystem::path& path) {
    const HANDLE file = createExclusively(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    return ::CloseHandle(file) != 0;
}

bool NewFileWriter::create(const std::filesystem::path& path) {
    m_handle = reinterpret_cast<std::intptr_t>(createExclusively(path));
    m_open = handleOf(m_handle) != INVALID_HANDLE_VALUE;
    return m_open;
}

NewFileWriter::~NewFileWriter() { (void)close(); }

bool NewFileWriter::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min(bytes.size(), kMostPerWrite));
        if (!::WriteFile(handleOf(m_handle), bytes.data(), piece, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

bool NewFileWriter::flushToDisk() { return ::FlushFileBuffers(handleOf(m_handle)) != 0; }

bool NewFileWriter::close() {
    if (!m_open) return true;
    m_open = false;
    return ::CloseHandle(handleOf(m_handle)) != 0;
}

bool renameDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Write-through: the call returns once the move is on the disk.
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace ib
