// The console mode under which a Windows console draws escape sequences
// instead of showing them as text. Pure, so the rule is tested on every platform.
#pragma once

#include <cstdint>
#include <functional>

namespace ib::platform {

// ENABLE_VIRTUAL_TERMINAL_PROCESSING of the console's output mode.
inline constexpr std::uint32_t kVirtualTerminalProcessing = 0x0004;

// Whether a console in output mode `mode` draws escape sequences: it does
// already, or `setMode` was given the mode with virtual-terminal processing
// added, every other flag kept, and took it. A console that refuses it
// (Windows before 10) does not.
[[nodiscard]] bool turnOnVirtualTerminal(std::uint32_t mode, const std::function<bool(std::uint32_t)>& setMode);

}  // namespace ib::platform
