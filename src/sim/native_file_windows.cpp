// State-folder files through Win32 calls: OVERLAPPED offsets for 64-bit
// positions, FILE_APPEND_DATA for whole appends, sparse files on NTFS. See
// native_file.h.
#include "sim/native_file.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>

namespace ib::sim {
namespace {

HANDLE handleOf(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// One call moves at most this much, so the count fits a DWORD.
constexpr std::size_t kLargestPiece = 1u << 30;

DWORD pieceOf(std::size_t remaining) { return static_cast<DWORD>(std::min(remaining, kLargestPiece)); }

}  // namespace

std::unique_ptr<NativeFile> NativeFile::open(const std::filesystem::path& path, Mode mode, std::string& error) {
    // Write access for appends too: emptying ram.bin needs it, and appends name
    // the end of the file explicitly (see append()).
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = "cannot open " + path.string() + ": " + lastError();
        return nullptr;
    }
    if (mode == Mode::Sparse) {
        DWORD returned = 0;  // file systems without sparse files keep every byte: still correct
        ::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    }
    return std::unique_ptr<NativeFile>(new NativeFile(reinterpret_cast<std::intptr_t>(handle)));
}

NativeFile::~NativeFile() { ::CloseHandle(handleOf(m_handle)); }

std::string NativeFile::lastError() {
    const DWORD code = ::GetLastError();
    char text[256] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                          0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

bool NativeFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out, std::size_t& got) {
    got = 0;
    while (got < out.size()) {
        OVERLAPPED position = at(offset + got);
        DWORD n = 0;
        if (!::ReadFile(handleOf(m_handle), out.data() + got, pieceOf(out.size() - got), &n, &position))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool NativeFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED position = at(offset + done);
        DWORD n = 0;
        if (!::WriteFile(handleOf(m_handle), bytes.data() + done, pieceOf(bytes.size() - done), &n, &position) ||
            n == 0)
            return false;
        done += n;
    }
    return true;
}

bool NativeFile::append(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        // Both offset halves 0xFFFFFFFF: at the end of the file as it is at the
        // time of the write, as FILE_APPEND_DATA would, so several processes'
        // lines never overwrite each other.
        OVERLAPPED end = at(UINT64_MAX);
        DWORD n = 0;
        if (!::WriteFile(handleOf(m_handle), bytes.data() + done, pieceOf(bytes.size() - done), &n, &end) || n == 0)
            return false;
        done += n;
    }
    return true;
}

std::uint64_t NativeFile::size() const {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(handleOf(m_handle), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

bool NativeFile::truncate(std::uint64_t length) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return ::SetFileInformationByHandle(handleOf(m_handle), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool NativeFile::punchHole(std::uint64_t offset, std::uint64_t length) {
    FILE_ZERO_DATA_INFORMATION range{};
    range.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
    range.BeyondFinalZero.QuadPart = static_cast<LONGLONG>(offset + length);
    DWORD returned = 0;
    return ::DeviceIoControl(handleOf(m_handle), FSCTL_SET_ZERO_DATA, &range, sizeof range, nullptr, 0, &returned,
                             nullptr) != 0;
}

std::optional<std::vector<ByteExtent>> NativeFile::dataExtents() {
    FILE_ALLOCATED_RANGE_BUFFER query{};
    query.Length.QuadPart = static_cast<LONGLONG>(size());
    std::vector<ByteExtent> extents;
    std::vector<FILE_ALLOCATED_RANGE_BUFFER> ranges(64);
    for (;;) {
        DWORD returned = 0;
        const BOOL done = ::DeviceIoControl(handleOf(m_handle), FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query,
                                            ranges.data(), static_cast<DWORD>(ranges.size() * sizeof ranges[0]),
                                            &returned, nullptr);
        if (!done && ::GetLastError() != ERROR_MORE_DATA) return std::nullopt;
        const std::size_t count = returned / sizeof ranges[0];
        for (std::size_t i = 0; i < count; ++i)
            extents.push_back({static_cast<std::uint64_t>(ranges[i].FileOffset.QuadPart),
                               static_cast<std::uint64_t>(ranges[i].Length.QuadPart)});
        if (done || count == 0) return extents;
        // Ask again for what follows the last range returned.
        const auto next = ranges[count - 1].FileOffset.QuadPart + ranges[count - 1].Length.QuadPart;
        query.Length.QuadPart -= next - query.FileOffset.QuadPart;
        query.FileOffset.QuadPart = next;
    }
}

}  // namespace ib::sim
