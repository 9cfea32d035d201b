// The terminal's width on Linux: the window size the terminal reports. See
// terminal_width.h.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal_width.h"

namespace ib::platform {

std::size_t terminalColumns() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

}  // namespace ib::platform
