// Reads the number typed into a register field: "0x" followed by hexadecimal
// digits (lower-case x only), otherwise a decimal number with an optional sign;
// leading blanks skipped, trailing text ignored. The same text means the same
// number on every platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ib {

// Hexadecimal: any value that fits 64 bits. Decimal: -2147483648 to
// 4294967295, taken modulo 2^32 (so "-1" is 0xFFFFFFFF). nullopt when the text
// holds no number or one out of range.
std::optional<std::uint64_t> ParseNumber(const std::string& text);

}  // namespace ib
