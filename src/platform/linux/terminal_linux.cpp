// The terminal on Linux: it draws escape sequences as they are, and reports
// its window size. See terminal.h.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace ib::platform {

bool standardOutputDrawsInPlace() { return ::isatty(STDOUT_FILENO) == 1; }

std::size_t terminalColumns() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

}  // namespace ib::platform
