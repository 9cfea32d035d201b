// The colours of the status line's bar and text, as 0x00BBGGRR.
#pragma once

#include <cstdint>

namespace ib {

// kTiledPattern as done colour means "tile the pattern bitmap".
inline constexpr std::uint32_t kBlue = 0xFF0000;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kGrey = 0x707070;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kTiledPattern = 0xFF000000;

}  // namespace ib
