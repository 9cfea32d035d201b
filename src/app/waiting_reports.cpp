#include "app/waiting_reports.h"

namespace ib {

void WaitingReports::status(const StatusState& state) {
    std::lock_guard lock(m_mutex);
    m_status = state;
}

void WaitingReports::progress(std::uint64_t done, std::uint64_t total) {
    std::lock_guard lock(m_mutex);
    m_progress = Progress{done, total};
}

std::optional<StatusState> WaitingReports::takeStatus() {
    std::lock_guard lock(m_mutex);
    std::optional<StatusState> taken;
    taken.swap(m_status);
    return taken;
}

void WaitingReports::showAfterWaiting(UserInterfacePort& target, const StatusState& state) {
    if (const auto earlier = takeStatus()) target.renderStatus(*earlier);
    target.renderStatus(state);
}

void WaitingReports::showOn(UserInterfacePort& target) {
    std::optional<StatusState> status;
    std::optional<Progress> progress;
    {
        std::lock_guard lock(m_mutex);
        status.swap(m_status);
        progress.swap(m_progress);
    }
    if (status) target.renderStatus(*status);
    if (progress) target.transferProgress(progress->done, progress->total);
}

}  // namespace ib
