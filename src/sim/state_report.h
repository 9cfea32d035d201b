// A person-readable account of a simulated recorder (what `sim show` prints):
// mode and presence, each area with its size and the sector ranges holding
// data, RAM image, registers, counters, faults, latency, and every index table
// sector found at `index_table_sector` of an area, decoded.
#pragma once

#include <cstdint>
#include <string>

#include "sim/simulator.h"

namespace ib::sim {

std::string describeRecorder(Simulator& sim, std::int64_t nowMs);

// "0-7, 100-199" (inclusive sector numbers); at most `limit` ranges, then "and N more".
std::string describeSectorRanges(const std::vector<SectorRange>& ranges, std::size_t limit = 16);

}  // namespace ib::sim
