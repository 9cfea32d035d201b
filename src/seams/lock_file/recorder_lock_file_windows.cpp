// A recorder's lock file on Windows: an exclusive LockFileEx range, which the
// system drops when the holder's handle closes,
// however the program ends. The holder's process id stays readable beside it.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "seams/recorder_lock_file.h"

namespace ib {
namespace {

// The locked range lies past the id, so a second program can still read the id.
constexpr DWORD kLockOffset = 64;

class WindowsRecorderLock final : public RecorderLock {
public:
    explicit WindowsRecorderLock(std::filesystem::path path) : m_path(std::move(path)) {}
    ~WindowsRecorderLock() override {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);  // closing drops the lock
    }
    WindowsRecorderLock(const WindowsRecorderLock&) = delete;
    WindowsRecorderLock& operator=(const WindowsRecorderLock&) = delete;

    std::optional<long> take() override {
        m_handle = ::CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE) return std::nullopt;  // no lock file: the recorder goes unguarded
        OVERLAPPED range{};
        range.Offset = kLockOffset;
        if (!::LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
            const long holder = holderPid();
            ::CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
            return holder;
        }
        writePid();
        return std::nullopt;
    }

private:
    long holderPid() const {
        char text[24] = {};
        OVERLAPPED start{};
        DWORD got = 0;
        if (!::ReadFile(m_handle, text, sizeof text - 1, &got, &start) || got == 0) return 0;
        return std::strtol(text, nullptr, 10);
    }

    void writePid() const {
        const std::string pid = std::to_string(::GetCurrentProcessId());
        char text[24] = {};  // padded with NULs, so a shorter id leaves no digits of an older one
        pid.copy(text, sizeof text - 1);
        OVERLAPPED start{};
        DWORD written = 0;
        // Without the id the lock still holds; a second program then names pid 0.
        (void)::WriteFile(m_handle, text, sizeof text, &written, &start);
    }

    std::filesystem::path m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<RecorderLock> recorderLockFile(const std::filesystem::path& path) {
    return std::make_unique<WindowsRecorderLock>(path);
}

}  // namespace ib
