// The console on Windows: it draws escape sequences only with virtual-terminal
// processing, which is off unless a program turns it on; its width is the
// visible part of its screen buffer. See terminal.h.
#include <windows.h>

#include "platform/terminal.h"
#include "platform/windows/console_mode.h"

namespace ib::platform {

bool standardOutputDrawsInPlace() {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // A file or a pipe has no console mode.
    if (output == nullptr || output == INVALID_HANDLE_VALUE || !::GetConsoleMode(output, &mode)) return false;
    return turnOnVirtualTerminal(mode, [output](std::uint32_t wanted) { return ::SetConsoleMode(output, wanted) != 0; });
}

std::size_t terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info)) return 0;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

}  // namespace ib::platform
