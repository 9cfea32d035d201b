// The gadget's link state. See link_state.h.
#include "sim/gadget/link_state.h"

namespace ib::sim::gadget {

std::uint64_t LinkState::generation() const {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

void LinkState::reset() {
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
    }
    m_changed.notify_all();
}

bool LinkState::waitForResetAfter(std::uint64_t seen) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stopping || m_generation != seen; });
    return m_generation != seen;
}

void LinkState::waitUntilStopped() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stopping; });
}

void LinkState::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
}

bool LinkState::stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

}  // namespace ib::sim::gadget
