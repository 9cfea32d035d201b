// imageburner-cli: the command-line face over the engine. run() parses the
// arguments, runs one command and returns the exit status (0 success,
// 1 failure, 2 usage error, 130 stopped by `stop`).
#pragma once

#include <iosfwd>

#include "operation/stop_request.h"

namespace ib::cli {

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, StopRequest stop = {});

}  // namespace ib::cli
