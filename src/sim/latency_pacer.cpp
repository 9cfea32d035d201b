// Latency pacing of the simulated recorder. See latency_pacer.h.
#include "sim/latency_pacer.h"

namespace ib::sim {

std::int64_t LatencyPacer::pauseMsFor(const Latency& latency, std::uint64_t dataBytes, std::int64_t nowMs) {
    const auto dueMs = [this] { return m_transferStartMs + static_cast<std::int64_t>(m_owedUs / 1000); };
    if (nowMs > dueMs() + kIdleGapMs || nowMs < m_transferStartMs) {
        m_transferStartMs = nowMs;
        m_owedUs = 0;
    }
    m_owedUs += latency.commandDelayUs;
    if (latency.bandwidthBytesPerSecond != 0)
        m_owedUs += dataBytes * 1'000'000 / latency.bandwidthBytesPerSecond;
    return dueMs() > nowMs ? dueMs() - nowMs : 0;
}

}  // namespace ib::sim
