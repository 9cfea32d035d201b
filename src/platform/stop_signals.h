// The system's requests to end the program (SIGINT, SIGTERM and SIGHUP on
// Linux; Ctrl+C, Ctrl+Break and closing the console on Windows) as a request
// to stop: the first one sets a flag, which the running operation reads at its
// next command, and makes a descriptor readable for an event loop to watch; a
// second one ends the process at once with exit status 130.
#pragma once

#include <atomic>

namespace ib::platform {

struct StopSignals {
    const std::atomic<bool>& requested;  // set by the first request
    int wakeFd = -1;                     // readable after the first request; -1 where there is none
};

// Installs the handlers for the rest of the process's life.
StopSignals installStopSignals();

}  // namespace ib::platform
