// Process ids: this process's own, and whether another one still runs. A
// folder or file named after the process that made it is left for that
// process while it runs and taken for stale once it has ended.
#pragma once

namespace ib {

// The id the system gives this process.
long currentProcessId();

// Whether a process with id `pid` runs now. True when the system does not
// tell (a process of another user, say): what may be a live process's is
// never taken for stale.
bool processRunning(long pid);

}  // namespace ib
