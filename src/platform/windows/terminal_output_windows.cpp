// A Windows console draws escape sequences only with virtual-terminal
// processing, which is off unless a program turns it on. See terminal_output.h.
#include <windows.h>

#include "platform/terminal_output.h"
#include "platform/windows/console_mode.h"

namespace ib::platform {

bool standardOutputDrawsInPlace() {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // A file or a pipe has no console mode.
    if (output == nullptr || output == INVALID_HANDLE_VALUE || !::GetConsoleMode(output, &mode)) return false;
    return turnOnVirtualTerminal(mode, [output](std::uint32_t wanted) { return ::SetConsoleMode(output, wanted) != 0; });
}

}  // namespace ib::platform
