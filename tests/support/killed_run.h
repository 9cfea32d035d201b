// A run of the program ended at once, as a kill ends it (no clean-up, no
// destructors), at a chosen point: in a child process, so that the test can
// then look at what the run left on disk. POSIX only.
#pragma once

#include <cstdint>
#include <functional>

#include "device/vendor_command.h"
#include "seams/clock.h"
#include "sim/simulator.h"

namespace ib::test {

// Runs `run` in a child process and waits for it. true when the child
// called endAsKilled().
bool endedAsKilled(const std::function<void()>& run);
// Ends the calling (child) process at once.
[[noreturn]] void endAsKilled();

// A simulator clock that ends the child process of endedAsKilled() right
// after the simulated recorder has answered a chosen vendor command. Give it
// to SimRig as the simulator's clock.
class CommandKillClock final : public Clock {
public:
    std::int64_t nowMs() override { return m_time.nowMs(); }
    void sleepMs(std::int64_t ms) override;
    // Runs `run` in a child process that ends after the `n`-th vendor command
    // with `code` (counted from this call on). true when it ended there.
    bool runKilledAt(sim::Simulator& sim, VendorCode code, std::uint32_t n, const std::function<void()>& run);

private:
    ManualClock m_time;
    std::function<void()> m_afterCommand;
};

}  // namespace ib::test
