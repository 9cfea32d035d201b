// The terminal the program's standard output shows in, for output redrawn in
// place (the progress bar on its line, the status board's lines rewritten with
// escape sequences). Elsewhere (a file, a pipe, a console that shows escape
// sequences as text) the command line prints plain lines.
#pragma once

#include <cstddef>

namespace ib::platform {

// Whether standard output is a terminal that draws escape sequences. On
// Windows this turns virtual-terminal processing on for the console, where the
// console has it; a console without it gets plain lines.
[[nodiscard]] bool standardOutputDrawsInPlace();

// The columns of the terminal standard output is, now; 0 when it is no
// terminal or the system does not tell. A line wider than the terminal wraps,
// and the wrapped part is left behind when the lines are drawn again.
std::size_t terminalColumns();

}  // namespace ib::platform
