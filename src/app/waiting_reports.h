// A worker's status reports and transfer progress on their way to a window:
// only the latest of each waits, to be shown at the window's next periodic
// call, or ahead of the worker's next other call so that the order holds. A
// worker that reports faster than the screen is painted thus never floods the
// window's queue, which would hold back its timers and input. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "app/user_interface_port.h"

namespace ib {

class WaitingReports {
public:
    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };

    // Worker side: the report replaces the one waiting.
    void status(const StatusState& state);
    void progress(std::uint64_t done, std::uint64_t total);
    // The waiting status, taken (to be posted ahead of another call).
    std::optional<StatusState> takeStatus();
    // Window side, at the periodic call: shows what waits on `target`.
    void showOn(UserInterfacePort& target);
    // Window side: shows a status reported on the window's own thread, after
    // the one a worker reported before it, if that still waits.
    void showAfterWaiting(UserInterfacePort& target, const StatusState& state);

private:
    std::mutex m_mutex;
    std::optional<StatusState> m_status;
    std::optional<Progress> m_progress;
};

}  // namespace ib
