// Turns the latency model (a delay per command plus data at a given rate) into
// pauses on the injected Clock. A transfer (commands that follow one another
// while the device is still busy, or nearly so) has one start; every pause
// lasts until the time owed since that start, so a pause that oversleeps, or
// the host's own work between commands, is made up by the next ones instead of
// adding up. A host that leaves the device idle longer than kIdleGapMs starts
// a new transfer: the device owes it nothing for the time it waited.
#pragma once

#include <cstdint>

#include "sim/recorder_state.h"

namespace ib::sim {

class LatencyPacer {
public:
    // Lateness up to this long is the host's own work or a pause's overshoot and is
    // made up; a longer gap is idle time. Below the update's shortest fixed wait (10 ms),
    // with a millisecond to spare for the clock's resolution, so that no fixed wait is
    // ever taken for device time.
    static constexpr std::int64_t kIdleGapMs = 5;

    // The whole milliseconds to pause at `nowMs` for a command moving `dataBytes`.
    std::int64_t pauseMsFor(const Latency& latency, std::uint64_t dataBytes, std::int64_t nowMs);

private:
    std::int64_t m_transferStartMs = 0;
    std::uint64_t m_owedUs = 0;  // the modelled time of the transfer so far
};

}  // namespace ib::sim
