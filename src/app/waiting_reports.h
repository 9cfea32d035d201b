// A worker's status reports and transfer progress on their way to a window:
// they wait, to be shown at the window's next periodic call, or ahead of the
// worker's next other call so that the order holds; only the latest status is
// painted, the ones before it are passed over (still logged), and only the
// latest progress is shown. A worker that reports faster than the screen is
// painted thus never floods the window's queue, which would hold back its
// timers and input. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "app/user_interface_port.h"

namespace ib {

class WaitingReports {
public:
    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };

    // Worker side: a status waits behind those already waiting; a progress
    // replaces the one waiting.
    void status(const StatusState& state);
    void progress(std::uint64_t done, std::uint64_t total);
    // The waiting statuses, oldest first, taken (to be posted ahead of
    // another call and shown there with show()).
    std::vector<StatusState> takeStatuses();
    // Shows taken statuses on `target`: the last painted, those before it
    // passed over.
    static void show(UserInterfacePort& target, const std::vector<StatusState>& statuses);
    // Window side, at the periodic call: shows what waits on `target`.
    void showOn(UserInterfacePort& target);
    // Window side: shows a status reported on the window's own thread, after
    // those a worker reported before it, if they still wait.
    void showAfterWaiting(UserInterfacePort& target, const StatusState& state);

private:
    std::mutex m_mutex;
    std::vector<StatusState> m_statuses;
    std::optional<Progress> m_progress;
};

}  // namespace ib
