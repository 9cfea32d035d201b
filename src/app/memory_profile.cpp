// The in-memory profile. See memory_profile.h.
#include "app/memory_profile.h"

namespace ib::app {

std::string MemoryProfile::read(const std::string& section, const std::string& key) {
    auto it = values.find(section + "/" + key);
    return it == values.end() ? "" : it->second;
}

bool MemoryProfile::write(const std::string& section, const std::string& key, const std::string& value) {
    values[section + "/" + key] = value;
    return true;
}

}  // namespace ib::app
