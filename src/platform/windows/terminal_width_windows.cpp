// The console's width on Windows: the visible part of its screen buffer. See
// terminal_width.h.
#include <windows.h>

#include "platform/terminal_width.h"

namespace ib::platform {

std::size_t terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info)) return 0;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

}  // namespace ib::platform
