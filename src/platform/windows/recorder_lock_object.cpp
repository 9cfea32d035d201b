// The machine-wide recorder lock: a small named section (file mapping) whose
// creator holds the recorder and writes its process id into it. See
// recorder_lock_object.h.
#include "platform/windows/recorder_lock_object.h"

#include <windows.h>

#include "seams/recorder_lock_file.h"

namespace ib::platform {
namespace {

constexpr DWORD kObjectBytes = sizeof(DWORD);

class RecorderLockObject final : public RecorderLock {
public:
    explicit RecorderLockObject(std::wstring name) : m_name(std::move(name)) {}
    ~RecorderLockObject() override {
        if (m_section) ::CloseHandle(m_section);  // the last handle closed ends the object
    }
    RecorderLockObject(const RecorderLockObject&) = delete;
    RecorderLockObject& operator=(const RecorderLockObject&) = delete;

    std::optional<long> take() override {
        m_section = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kObjectBytes,
                                         m_name.c_str());
        if (!m_section) return std::nullopt;  // no object (no right to make one): the recorder goes unguarded
        if (::GetLastError() == ERROR_ALREADY_EXISTS) {
            const long holder = static_cast<long>(readHolder());
            ::CloseHandle(m_section);
            m_section = nullptr;
            return holder;
        }
        writeHolder(::GetCurrentProcessId());
        return std::nullopt;
    }

private:
    DWORD readHolder() const {
        const void* view = ::MapViewOfFile(m_section, FILE_MAP_READ, 0, 0, kObjectBytes);
        if (!view) return 0;
        const DWORD holder = *static_cast<const volatile DWORD*>(view);
        ::UnmapViewOfFile(view);
        return holder;
    }

    void writeHolder(DWORD pid) const {
        void* view = ::MapViewOfFile(m_section, FILE_MAP_WRITE, 0, 0, kObjectBytes);
        if (!view) return;  // without the id the lock still holds; a second program then names pid 0
        *static_cast<volatile DWORD*>(view) = pid;
        ::UnmapViewOfFile(view);
    }

    std::wstring m_name;
    HANDLE m_section = nullptr;
};

}  // namespace

std::wstring recorderLockObjectName(std::string_view identity) {
    // The lock file's name rule keeps letters, digits, '-' and '.'; its ".lock" ending is dropped.
    std::string name = recorderLockFileName(identity);
    name.resize(name.size() - std::string_view(".lock").size());
    return L"Global\\" + std::wstring(name.begin(), name.end());
}

std::unique_ptr<RecorderLock> recorderLockObject(std::string_view identity) {
    return std::make_unique<RecorderLockObject>(recorderLockObjectName(identity));
}

}  // namespace ib::platform
