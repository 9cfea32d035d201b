// Turns the latency model (a delay per command plus data at a given rate)
// into pauses on the injected Clock. Keeps the sub-millisecond remainder, so
// many short commands add up to the right total time.
#pragma once

#include <cstdint>

#include "sim/recorder_state.h"

namespace ib::sim {

class LatencyPacer {
public:
    // The whole milliseconds to pause now for a command moving `dataBytes`.
    std::int64_t pauseMsFor(const Latency& latency, std::uint64_t dataBytes);

private:
    std::uint64_t m_owedUs = 0;
};

}  // namespace ib::sim
