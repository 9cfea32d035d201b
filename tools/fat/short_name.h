// 8.3 short names for the entries of one directory, made the way Windows makes them. A
// name that is a valid 8.3 name in upper case is stored as it is; any other gets a basis
// name from its first letters, with a "~n" tail when letters were lost or left out, and
// keeps its real name in long-name entries. Short names are plain ASCII, so they read
// the same whatever code page a reader assumes.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace ib::tools::fat {

inline constexpr std::size_t kShortNameLength = 11;
// The name field of a directory entry: 8 characters of base and 3 of extension, each
// padded with spaces.
using ShortNameField = std::array<char, kShortNameLength>;

struct ShortName {
    ShortNameField field{};
    // The entry needs long-name entries: the short name is not the name as it is.
    bool needsLongName = false;
};

// Whether `c` may stand in a short name (or, with the space, in a volume label).
bool isShortNameCharacter(char c);

// One short name for each of `names` (UTF-8, valid long names), in the same order, no
// two alike. A valid 8.3 name keeps its own short name in preference to a generated one.
std::vector<ShortName> assignShortNames(std::span<const std::string> names);

}  // namespace ib::tools::fat
