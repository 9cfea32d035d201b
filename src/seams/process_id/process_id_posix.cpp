// Process ids on POSIX systems: a signal 0 tells whether the process exists.
// See process_id.h.
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "seams/process_id.h"

namespace ib {

long currentProcessId() { return static_cast<long>(::getpid()); }

bool processRunning(long pid) {
    if (pid <= 0) return true;  // 0 and negative ids name process groups, not one process
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace ib
