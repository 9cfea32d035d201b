// imageburner-cli: the command-line face over the engine. run() parses the
// arguments, runs one command and returns the exit status (0 success,
// 1 failure, 2 usage error, 130 stopped by `stop`).
#pragma once

#include <functional>
#include <iosfwd>

#include "operation/stop_request.h"

namespace ib::cli {

// The system's requests to stop as the commands see them: the first, the
// second, and what makes the second one a request instead of the end of the
// process (the station lets running updates finish after the first).
struct StopRequests {
    StopRequest first;
    StopRequest second;
    std::function<void()> holdSecond;
};

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, StopRequest stop = {});
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, const StopRequests& stops);

}  // namespace ib::cli
