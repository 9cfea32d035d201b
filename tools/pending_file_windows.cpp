// Write-then-rename output files on Windows, through Win32 wide calls so that any file
// name works. See pending_file.h.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <string>

#include "seams/replacement_file.h"
#include "seams/utf8_path.h"
#include "tools/pending_file.h"
#include "tools/windows_error.h"
#include "tools/windows_path.h"

namespace ib::tools {
namespace {

constexpr const wchar_t* kLinkSuffix = L".link";
// Tries at a free temporary name before giving up: a clash is already unlikely.
constexpr int kNameAttempts = 100;
// WriteFile takes a 32-bit count.
constexpr std::size_t kMostPerWrite = 1u << 30;

HANDLE openForWriting(const std::filesystem::path& path, DWORD disposition) {
    return ::CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

PendingFile::PendingFile(const std::filesystem::path& finalPath) : m_finalPath(checkedFinalPath(finalPath)) {
    // The program's name for a temporary of this output, so that the program
    // clears it when this tool is killed.
    for (int attempt = 0; attempt < kNameAttempts && !m_isOpen; ++attempt) {
        m_temporaryPath = m_finalPath.parent_path() / pathFromUtf8(temporaryName(m_finalPath));
        m_handle = openForWriting(m_temporaryPath, CREATE_NEW);
        m_isOpen = m_handle != INVALID_HANDLE_VALUE;
        if (!m_isOpen && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!m_isOpen) throw ToolFailure(withLastError("cannot create a file beside " + quoted(m_finalPath)));
    // Zeros skipped by seekTo stay holes instead of being written out by the file system;
    // a volume without sparse files (FAT) keeps every byte, which is still correct.
    DWORD returned = 0;
    ::DeviceIoControl(m_handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
}

PendingFile::~PendingFile() {
    if (m_isOpen) ::CloseHandle(m_handle);
    if (!m_committed) ::DeleteFileW(systemPath(m_temporaryPath).c_str());
}

void PendingFile::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto wanted = static_cast<DWORD>(std::min(bytes.size(), kMostPerWrite));
        if (!::WriteFile(m_handle, bytes.data(), wanted, &written, nullptr) || written == 0) {
            throw writeFailure(lastErrorText());
        }
        bytes = bytes.subspan(written);
    }
}

void PendingFile::seekTo(std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(m_handle, position, nullptr, FILE_BEGIN)) {
        throw ToolFailure(withLastError("cannot extend " + quoted(m_finalPath)));
    }
}

void PendingFile::resize(std::uint64_t length) {
    seekTo(length);
    if (!::SetEndOfFile(m_handle)) throw ToolFailure(withLastError("cannot extend " + quoted(m_finalPath)));
}

// Windows has no cheaper copy into an open file that keeps the temporary name ours.
void PendingFile::appendCopyOf(const SourceFile& source, std::uint64_t length) { appendByReading(source, length); }

bool PendingFile::shareContentOf(const std::filesystem::path& source) {
    std::filesystem::path linkPath = m_temporaryPath;
    linkPath += kLinkSuffix;
    // Fails on another volume, or a file system without hard links (FAT).
    if (!::CreateHardLinkW(systemPath(linkPath).c_str(), systemPath(source).c_str(), nullptr)) return false;
    // An open file cannot be replaced: the empty temporary file is closed for the move,
    // and opened again whatever its outcome.
    ::CloseHandle(m_handle);
    const bool moved =
        ::MoveFileExW(systemPath(linkPath).c_str(), systemPath(m_temporaryPath).c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!moved) ::DeleteFileW(systemPath(linkPath).c_str());
    m_handle = openForWriting(m_temporaryPath, OPEN_EXISTING);
    m_isOpen = m_handle != INVALID_HANDLE_VALUE;
    if (!m_isOpen) throw ToolFailure(withLastError("cannot open " + quoted(m_temporaryPath)));
    return moved;
}

void PendingFile::commit() {
    if (!::FlushFileBuffers(m_handle)) throw writeFailure(lastErrorText());
    m_isOpen = false;
    if (!::CloseHandle(m_handle)) throw writeFailure(lastErrorText());
    // Write-through: the move is on the disk when the call returns.
    if (!::MoveFileExW(systemPath(m_temporaryPath).c_str(), systemPath(m_finalPath).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw ToolFailure(withLastError("cannot replace " + quoted(m_finalPath)));
    }
    m_committed = true;
}

}  // namespace ib::tools
