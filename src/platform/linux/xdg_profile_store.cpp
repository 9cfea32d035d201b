// The Linux settings store: INI text edited line by line (other lines kept as
// they are) and replaced through a temporary file, fsync and rename, so that a
// crash in the middle never leaves a truncated profile behind.
#include "platform/linux/xdg_profile_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>
#include <vector>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"
#include "seams/replacement_file.h"

namespace ib::platform {
namespace {

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename is made durable by syncing the folder that holds the entry.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A profile that is a symbolic link (kept in a dotfiles folder, say) stays
// one: the file it points to is what gets replaced.
bool replaceAtomically(const std::filesystem::path& profile, std::string_view text) {
    const std::filesystem::path file = linkTarget(profile);
    const std::filesystem::path folder = file.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    removeStaleTemporaries(file);
    std::string temporary = (folder / ".").string();
    temporary += file.filename().string();
    temporary += ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

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
    return replacement && replaceAtomically(m_file, *replacement);
}

}  // namespace ib::platform
