// A profile store kept in memory, for the benchmarks and the tests: nothing
// of the user's own remembered paths is read or changed.
#pragma once

#include <map>
#include <string>

#include "seams/profile_store.h"

namespace ib::app {

class MemoryProfile final : public ProfileStore {
public:
    std::string read(const std::string& section, const std::string& key) override;
    bool write(const std::string& section, const std::string& key, const std::string& value) override;

    std::map<std::string, std::string> values;  // keyed "section/key"
};

}  // namespace ib::app
