// The width of the terminal the program's standard output shows in, for
// output redrawn in place: a line wider than the terminal wraps, and the
// wrapped part is left behind when the lines are drawn again.
#pragma once

#include <cstddef>

namespace ib::platform {

// The columns of the terminal standard output is, now; 0 when it is no
// terminal or the system does not tell.
std::size_t terminalColumns();

}  // namespace ib::platform
