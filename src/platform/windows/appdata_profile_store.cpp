// The Windows settings store. See appdata_profile_store.h.
#include "platform/windows/appdata_profile_store.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <limits>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"

namespace ib::platform {
namespace {

bool replaceAtomically(const std::filesystem::path& file, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) return false;
    std::filesystem::path temporary = file;
    temporary += ".new";
    const HANDLE handle =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                          written == text.size() && ::FlushFileBuffers(handle);
    ::CloseHandle(handle);
    if (complete &&
        ::MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace

AppDataProfileStore AppDataProfileStore::forCurrentUser() {
    return AppDataProfileStore(defaultFile().value_or(std::filesystem::path{}));
}

std::optional<std::filesystem::path> AppDataProfileStore::defaultFile() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return std::nullopt;
    return std::filesystem::path(appData) / "imageburner" / "profile.ini";
}

std::string AppDataProfileStore::read(const std::string& section, const std::string& key) {
    return readProfileString(m_file, section, key, "", std::numeric_limits<std::size_t>::max());
}

bool AppDataProfileStore::write(const std::string& section, const std::string& key, const std::string& value) {
    const std::optional<std::string> replacement = profileFileWithKey(m_file, section, key, value);
    return replacement && replaceAtomically(m_file, *replacement);
}

}  // namespace ib::platform
