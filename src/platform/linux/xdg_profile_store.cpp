// The Linux settings store: INI text edited line by line (other lines kept as
// they are) and replaced as every output is (see replacement_file.h), so that
// a crash in the middle never leaves a truncated profile behind. A profile that
// is a symbolic link (kept in a dotfiles folder, say) stays one.
#include "platform/linux/xdg_profile_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <limits>
#include <vector>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"
#include "seams/replacement_file.h"

namespace ib::platform {
namespace {

std::optional<std::filesystem::path> homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home);
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return std::filesystem::path(found->pw_dir);
    return std::nullopt;
}

}  // namespace

XdgProfileStore::XdgProfileStore(std::filesystem::path file) : m_file(std::move(file)) {}

XdgProfileStore XdgProfileStore::forCurrentUser() {
    return XdgProfileStore(defaultFile().value_or(std::filesystem::path{}));
}

std::optional<std::filesystem::path> XdgProfileStore::defaultFile() {
    std::filesystem::path configFolder;
    // Relative values of XDG_CONFIG_HOME are invalid and ignored, as the XDG base-directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg && *xdg && std::filesystem::path(xdg).is_absolute()) {
        configFolder = xdg;
    } else if (const auto home = homeFolder()) {
        configFolder = *home / ".config";
    } else {
        return std::nullopt;
    }
    return configFolder / "imageburner" / "profile.ini";
}

std::string XdgProfileStore::read(const std::string& section, const std::string& key) {
    // The whole value is returned: a path is never cut to a buffer's size here.
    return readProfileString(m_file, section, key, "", std::numeric_limits<std::size_t>::max());
}

bool XdgProfileStore::write(const std::string& section, const std::string& key, const std::string& value) {
    const std::optional<std::string> replacement = profileFileWithKey(m_file, section, key, value);
    return replacement && replaceFileWith(m_file, *replacement);
}

}  // namespace ib::platform
