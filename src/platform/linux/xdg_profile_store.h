// The per-user settings store on Linux: an INI file at
// $XDG_CONFIG_HOME/imageburner/profile.ini (default ~/.config/imageburner/profile.ini),
// read with the private-profile rules and replaced atomically on every write.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "seams/profile_store.h"

namespace ib::platform {

class XdgProfileStore : public ProfileStore {
public:
    // A store kept in `file`; its folder is created on the first write.
    explicit XdgProfileStore(std::filesystem::path file);
    // The current user's store; without XDG_CONFIG_HOME or a home folder it
    // reads nothing and every write fails.
    static XdgProfileStore forCurrentUser();
    // $XDG_CONFIG_HOME (when absolute) or $HOME/.config, then imageburner/profile.ini.
    static std::optional<std::filesystem::path> defaultFile();

    std::string read(const std::string& section, const std::string& key) override;
    // Rewrites the file with the key set, keeping every other line, through a
    // temporary file in the same folder and a rename: a crash leaves either the
    // old or the new file, never a part. False for names or values that the
    // file cannot hold (line breaks; '=' or ']' in a name) and on any I/O failure.
    bool write(const std::string& section, const std::string& key, const std::string& value) override;

    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

}  // namespace ib::platform
