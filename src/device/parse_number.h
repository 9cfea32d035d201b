// Reads the number typed into a register field: "0x" followed by hexadecimal
// digits (lower-case x only), otherwise a signed decimal number; leading blanks
// skipped, trailing text ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ib {

// nullopt when the text holds no number the conversion can read.
std::optional<std::uint64_t> ParseNumber(const std::string& text);

}  // namespace ib
