// Bytes as lower-case hexadecimal text and back, two digits per byte: how a
// recording writes command blocks, sense and data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ib::record {

std::string toHex(std::span<const std::uint8_t> bytes);
// nullopt for an odd length or a character that is not a hexadecimal digit.
std::optional<std::vector<std::uint8_t>> fromHex(std::string_view text);

}  // namespace ib::record
