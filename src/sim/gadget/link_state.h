// The USB link as the gadget's control thread sees it, shared with its bulk thread:
// a counter that moves at every reset (bus reset, unbind, mass-storage reset), so a
// command under way is abandoned, and the request to stop. Thread-safe.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ib::sim::gadget {

class LinkState {
public:
    std::uint64_t generation() const;
    // The host reset the device or the gadget left the bus.
    void reset();
    // Blocks until a reset after `seen` or a stop; true for a reset.
    bool waitForResetAfter(std::uint64_t seen);
    // Blocks until stop() is called.
    void waitUntilStopped();

    void stop();
    bool stopping() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_generation = 0;
    bool m_stopping = false;
};

}  // namespace ib::sim::gadget
