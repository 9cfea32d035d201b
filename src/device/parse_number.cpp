// Register field numbers. See parse_number.h.
#include "device/parse_number.h"

#include <cstdio>

namespace ib {

std::optional<std::uint64_t> ParseNumber(const std::string& text) {
    if (text.size() >= 2 && text[0] == '0' && text[1] == 'x') {
        unsigned long value = 0;
        if (std::sscanf(text.c_str(), "%lx", &value) != 1) return std::nullopt;
        return value;
    }
    int value = 0;
    if (std::sscanf(text.c_str(), "%d", &value) != 1) return std::nullopt;
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
}

}  // namespace ib
