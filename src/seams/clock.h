// Time as the program's waits see it: a clock that only runs forward, and
// pauses. Operations that wait (the reopen loop after starting the updater,
// pauses between burn steps) and the simulated recorder take a Clock, so tests
// replace it and never sleep. Time stamps shown to people come from the wall
// clock elsewhere; a change of the wall clock never stretches or cuts a wait.
#pragma once

#include <chrono>
#include <cstdint>

namespace ib {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since a fixed moment (the machine's start for the real
    // clock); only differences mean anything.
    virtual std::int64_t nowMs() = 0;
    virtual void sleepMs(std::int64_t ms) = 0;
};

// The real clock: the system's steady clock, shared by every process of the
// machine (a simulated recorder's state folder keeps times of it).
class SystemClock final : public Clock {
public:
    std::int64_t nowMs() override;
    void sleepMs(std::int64_t ms) override;
};

// A clock for tests: sleeping only moves the time forward.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::int64_t startMs = 1'700'000'000'000) : m_now(startMs) {}
    std::int64_t nowMs() override { return m_now; }
    void sleepMs(std::int64_t ms) override {
        m_now += ms;
        m_slept += ms;
    }
    void advanceMs(std::int64_t ms) { m_now += ms; }
    std::int64_t totalSleptMs() const { return m_slept; }

private:
    std::int64_t m_now;
    std::int64_t m_slept = 0;
};

}  // namespace ib
