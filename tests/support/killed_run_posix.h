// A run ended at once, as a kill ends it (no clean-up, no destructors), in a
// child process, so that the test can then look at what it left on disk.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>

#include "seams/clock.h"
#include "sim/simulator.h"

namespace ib::test {

inline constexpr int kKilledStatus = 137;

// Runs `run` in a child process; true when the child ended with _exit(kKilledStatus).
inline bool endedAsKilled(const std::function<void()>& run) {
    const pid_t child = ::fork();
    if (child == 0) {
        run();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == kKilledStatus;
}

// The simulator's clock (SimRigOptions::simClock) when a run is to end right
// after the recorder answered the `n`-th command whose log line starts with
// `prefix`: every command then pauses, and the pause looks at the log.
class CommandKillClock final : public Clock {
public:
    std::int64_t nowMs() override { return m_time.nowMs(); }
    void sleepMs(std::int64_t ms) override {
        m_time.sleepMs(ms);
        if (m_sim && std::ranges::count_if(m_sim->commandLog(), [&](const std::string& l) {
                         return l.starts_with(m_prefix);
                     }) >= m_n)
            ::_exit(kKilledStatus);
    }
    bool runKilledAt(sim::Simulator& sim, std::string prefix, long n, const std::function<void()>& run) {
        return endedAsKilled([&] {
            sim.setLatency({.commandDelayUs = 1000, .bandwidthBytesPerSecond = 0});
            m_sim = &sim, m_prefix = std::move(prefix), m_n = n;
            run();
        });
    }

private:
    ManualClock m_time;
    sim::Simulator* m_sim = nullptr;
    std::string m_prefix;
    long m_n = 0;
};

}  // namespace ib::test
