// A terminal on Linux draws escape sequences as they are. See terminal_output.h.
#include <unistd.h>

#include "platform/terminal_output.h"

namespace ib::platform {

bool standardOutputDrawsInPlace() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace ib::platform
