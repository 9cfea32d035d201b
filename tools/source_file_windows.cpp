// The intermediate image through a Win32 file handle. See source_file.h.
#include <windows.h>

#include <algorithm>

#include "tools/source_file.h"
#include "tools/tool_failure.h"
#include "tools/windows_error.h"
#include "tools/windows_path.h"

namespace ib::tools {
namespace {

BY_HANDLE_FILE_INFORMATION examined(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) info = {};
    return info;
}

}  // namespace

SourceFile::SourceFile(const std::filesystem::path& path) : m_path(std::filesystem::absolute(path)) {
    // Folders open only with FILE_FLAG_BACKUP_SEMANTICS, so one is refused here by name.
    std::error_code error;
    if (std::filesystem::is_directory(m_path, error)) throw ToolFailure(quoted(path) + " is a folder, not an image file");
    // Its writer may still hold it open, and may delete it once a link shares its content.
    m_handle = ::CreateFileW(systemPath(m_path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) throw ToolFailure(withLastError("cannot open " + quoted(path)));
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_handle, &size)) {
        const std::string failure = withLastError("cannot examine " + quoted(path));
        ::CloseHandle(m_handle);
        throw ToolFailure(failure);
    }
    m_size = static_cast<std::uint64_t>(size.QuadPart);
}

SourceFile::~SourceFile() { ::CloseHandle(m_handle); }

std::size_t SourceFile::readAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const {
    // The offset travels with the request, so the copy and the digest thread can read at once.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (::ReadFile(m_handle, bytes.data(), wanted, &got, &at)) return got;
    if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
    throw ToolFailure(withLastError("reading " + quoted(m_path) + " failed"));
}

bool SourceFile::linkGivesACopy(const std::filesystem::path& output) const {
    // A linked file keeps its own security descriptor where a new file inherits its
    // folder's: the two agree when the link is made in the intermediate's own folder.
    const BY_HANDLE_FILE_INFORMATION info = examined(m_handle);
    std::error_code error;
    return info.nNumberOfLinks == 1 && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0 &&
           std::filesystem::equivalent(m_path.parent_path(), output.parent_path(), error);
}

bool SourceFile::isTheSameFileAs(const std::filesystem::path& other) const {
    const HANDLE file = ::CreateFileW(systemPath(other).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BY_HANDLE_FILE_INFORMATION theirs = examined(file);
    ::CloseHandle(file);
    const BY_HANDLE_FILE_INFORMATION mine = examined(m_handle);
    return theirs.dwVolumeSerialNumber == mine.dwVolumeSerialNumber &&
           theirs.nFileIndexHigh == mine.nFileIndexHigh && theirs.nFileIndexLow == mine.nFileIndexLow;
}

}  // namespace ib::tools
