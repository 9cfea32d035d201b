// imageburner-cli: the command-line face over the engine. run() parses the
// arguments, runs one command and returns the exit status (0 success,
// 1 failure, 2 usage error).
#pragma once

#include <iosfwd>

namespace ib::cli {

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace ib::cli
