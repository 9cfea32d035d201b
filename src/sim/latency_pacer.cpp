// Latency pacing of the simulated recorder. See latency_pacer.h.
#include "sim/latency_pacer.h"

namespace ib::sim {

std::int64_t LatencyPacer::pauseMsFor(const Latency& latency, std::uint64_t dataBytes) {
    m_owedUs += latency.commandDelayUs;
    if (latency.bandwidthBytesPerSecond != 0)
        m_owedUs += dataBytes * 1'000'000 / latency.bandwidthBytesPerSecond;
    const std::uint64_t ms = m_owedUs / 1000;
    m_owedUs %= 1000;
    return static_cast<std::int64_t>(ms);
}

}  // namespace ib::sim
