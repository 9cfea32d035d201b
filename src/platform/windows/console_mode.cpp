// The console mode that draws escape sequences. See console_mode.h.
#include "platform/windows/console_mode.h"

namespace ib::platform {

bool turnOnVirtualTerminal(std::uint32_t mode, const std::function<bool(std::uint32_t)>& setMode) {
    return (mode & kVirtualTerminalProcessing) != 0 || setMode(mode | kVirtualTerminalProcessing);
}

}  // namespace ib::platform
