// Runs imageburner-cli inside the test process, as a shell would start it,
// and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace ib::test {

struct CliResult {
    int status;
    std::string out, err;
};

// `args` without the program's name; `stops` stand for the system's stop requests.
inline CliResult runCli(std::vector<std::string> args, const cli::StopRequests& stops = {}) {
    args.insert(args.begin(), "imageburner-cli");
    std::vector<const char*> argv;
    for (auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = cli::run(static_cast<int>(argv.size()), argv.data(), out, err, stops);
    return {status, out.str(), err.str()};
}

}  // namespace ib::test
