#include "app/waiting_reports.h"

namespace ib {

void WaitingReports::status(const StatusState& state) {
    std::lock_guard lock(m_mutex);
    m_statuses.push_back(state);
}

void WaitingReports::progress(std::uint64_t done, std::uint64_t total) {
    std::lock_guard lock(m_mutex);
    m_progress = Progress{done, total};
}

std::vector<StatusState> WaitingReports::takeStatuses() {
    std::lock_guard lock(m_mutex);
    std::vector<StatusState> taken;
    taken.swap(m_statuses);
    return taken;
}

void WaitingReports::show(UserInterfacePort& target, const std::vector<StatusState>& statuses) {
    if (statuses.empty()) return;
    for (std::size_t i = 0; i + 1 < statuses.size(); ++i) target.statusPassedOver(statuses[i]);
    target.renderStatus(statuses.back());
}

void WaitingReports::showAfterWaiting(UserInterfacePort& target, const StatusState& state) {
    for (const StatusState& earlier : takeStatuses()) target.statusPassedOver(earlier);
    target.renderStatus(state);
}

void WaitingReports::showOn(UserInterfacePort& target) {
    std::vector<StatusState> statuses;
    std::optional<Progress> progress;
    {
        std::lock_guard lock(m_mutex);
        statuses.swap(m_statuses);
        progress.swap(m_progress);
    }
    show(target, statuses);
    if (progress) target.transferProgress(progress->done, progress->total);
}

}  // namespace ib
