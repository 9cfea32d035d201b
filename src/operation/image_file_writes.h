// Positioned writes into an image file, 64-bit offsets, bounded memory.
#pragma once

#include <cstdint>
#include <fstream>
#include <span>

namespace ib {

bool writeAt(std::fstream& image, std::uint64_t offset, std::span<const std::uint8_t> bytes);
// Writes 0xFF from byte `from` up to byte `to` (nothing when to <= from).
bool fillWithFF(std::fstream& image, std::uint64_t from, std::uint64_t to);

}  // namespace ib
