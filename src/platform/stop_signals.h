// The system's requests to end the program (SIGINT, SIGTERM and SIGHUP on
// Linux; Ctrl+C, Ctrl+Break and closing the console on Windows) as a request
// to stop: the first one sets a flag, which the running operation reads at its
// next command, and makes a descriptor readable for an event loop to watch; a
// second one ends the process at once with exit status 130, unless the program
// holds it back to stop its running work cleanly (see holdSecondStop).
#pragma once

#include <atomic>

namespace ib::platform {

struct StopSignals {
    const std::atomic<bool>& requested;       // set by the first request
    const std::atomic<bool>& requestedAgain;  // set by the second, once it is held back
    int wakeFd = -1;                          // readable after the first request; -1 where there is none
};

// Installs the handlers for the rest of the process's life.
StopSignals installStopSignals();

// From now on the second request sets `requestedAgain` instead of ending the
// process: for a run whose first request lets the running work finish and
// whose second stops it at the next command, with the session ended.
void holdSecondStop();

}  // namespace ib::platform
