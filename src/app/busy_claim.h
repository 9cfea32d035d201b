// The controller's one-operation-at-a-time claim as an object: whoever holds
// it runs the operation, and it is given back when the holder is destroyed,
// however the operation ended (a result, an exception, a worker thread that
// never started).
#pragma once

#include <atomic>
#include <optional>
#include <utility>

namespace ib {

class BusyClaim {
public:
    // The claim on `busy`, or nullopt when someone holds it already.
    static std::optional<BusyClaim> tryClaim(std::atomic<bool>& busy) {
        bool idle = false;
        if (!busy.compare_exchange_strong(idle, true)) return std::nullopt;
        return BusyClaim(busy);
    }

    BusyClaim(BusyClaim&& other) noexcept : m_busy(std::exchange(other.m_busy, nullptr)) {}
    BusyClaim& operator=(BusyClaim&&) = delete;
    BusyClaim(const BusyClaim&) = delete;
    BusyClaim& operator=(const BusyClaim&) = delete;
    ~BusyClaim() { release(); }

    // Gives the claim back now; later calls do nothing.
    void release() {
        if (m_busy) std::exchange(m_busy, nullptr)->store(false);
    }

private:
    explicit BusyClaim(std::atomic<bool>& busy) : m_busy(&busy) {}

    std::atomic<bool>* m_busy;
};

}  // namespace ib
