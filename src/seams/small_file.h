// Reading a whole file that is small by nature, a configuration or a profile,
// without letting the file's length decide how much memory is taken.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace ib {

// No configuration or profile comes near this; a larger file is not one.
inline constexpr std::size_t kLargestProfileBytes = 1024 * 1024;

// The file's bytes; nullopt when it cannot be read or holds more than `largestBytes`.
[[nodiscard]] std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::size_t largestBytes);

}  // namespace ib
