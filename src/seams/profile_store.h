// The per-user settings store that remembers the two paths of the dialog
// (section "QUBImageBurner", keys "raw_path" and "bin_path") and the window's
// working folder between runs.
#pragma once

#include <string>

namespace ib {

// The section of the program's own keys.
inline constexpr const char* kProfileSection = "QUBImageBurner";

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored value, or "" when absent.
    virtual std::string read(const std::string& section, const std::string& key) = 0;
    // Stores the value durably; false when it could not be written.
    virtual bool write(const std::string& section, const std::string& key, const std::string& value) = 0;
};

}  // namespace ib
