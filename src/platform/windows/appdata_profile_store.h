// The per-user settings store on Windows: %APPDATA%\imageburner\profile.ini,
// read with the private-profile rules and replaced on every write as every
// output is (a flushed temporary file moved over it with write-through).
#pragma once

#include <filesystem>
#include <optional>

#include "seams/profile_store.h"

namespace ib::platform {

class AppDataProfileStore final : public ProfileStore {
public:
    explicit AppDataProfileStore(std::filesystem::path file) : m_file(std::move(file)) {}
    // The current user's store; without APPDATA it reads nothing and every write fails.
    static AppDataProfileStore forCurrentUser();
    static std::optional<std::filesystem::path> defaultFile();

    std::string read(const std::string& section, const std::string& key) override;
    bool write(const std::string& section, const std::string& key, const std::string& value) override;

private:
    std::filesystem::path m_file;
};

}  // namespace ib::platform
