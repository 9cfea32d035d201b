// The dry run's report of the checks an operation makes on the PC before its
// first write: what it would read, run and write, then the first problem.
#pragma once

#include <ostream>
#include <vector>

#include "operation/preflight.h"

namespace ib::cli {

// Prints every step's plan and checks it; 0 when nothing stands in the way, else 1.
int reportPreflight(std::ostream& out, const std::vector<PreflightStep>& steps);

}  // namespace ib::cli
