// The Windows settings store. See appdata_profile_store.h.
#include "platform/windows/appdata_profile_store.h"

#include <cstdlib>
#include <limits>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"
#include "seams/replacement_file.h"

namespace ib::platform {

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
    return replacement && replaceFileWith(m_file, *replacement);
}

}  // namespace ib::platform
