#include "win32/window_port.h"

namespace ib::win32 {

WindowPort::WindowPort(UserInterfacePort& target, DialogThread& thread) : m_target(target), m_thread(thread) {
    m_thread.setPeriodic([this] { m_waiting.showOn(m_target); });
}

WindowPort::~WindowPort() { m_thread.setPeriodic(nullptr); }

template <typename Call>
void WindowPort::post(Call call) {
    if (m_thread.isCurrent()) {
        call();
        return;
    }
    postWaitingStatus();
    m_thread.post(std::move(call));
}

void WindowPort::postWaitingStatus() {
    if (auto statuses = m_waiting.takeStatuses(); !statuses.empty())
        m_thread.post([this, statuses = std::move(statuses)] { WaitingReports::show(m_target, statuses); });
}

void WindowPort::renderStatus(const StatusState& state) {
    if (m_thread.isCurrent())
        m_waiting.showAfterWaiting(m_target, state);
    else
        m_waiting.status(state);
}

void WindowPort::showStepMessage(const std::string& text) {
    post([this, text] { m_target.showStepMessage(text); });
}

void WindowPort::showWarning(const std::string& text) {
    postWaitingStatus();
    m_thread.ask([this, text] {
        m_target.showWarning(text);
        return true;
    });
}

void WindowPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    postWaitingStatus();
    m_thread.ask([this, kind, text] {
        m_target.showMessageBox(kind, text);
        return true;
    });
}

void WindowPort::setOperationButtonsEnabled(bool enabled) {
    post([this, enabled] { m_target.setOperationButtonsEnabled(enabled); });
}

void WindowPort::setControlEnabled(ControlId control, bool enabled) {
    post([this, control, enabled] { m_target.setControlEnabled(control, enabled); });
}

std::optional<std::string> WindowPort::chooseFile(const FileChooserRequest& request) {
    postWaitingStatus();
    return m_thread.ask([this, request] { return m_target.chooseFile(request); });
}

void WindowPort::showValues(const DialogValues& values) {
    post([this, values] { m_target.showValues(values); });
}

void WindowPort::transferProgress(std::uint64_t done, std::uint64_t total) {
    if (m_thread.isCurrent())
        m_target.transferProgress(done, total);
    else
        m_waiting.progress(done, total);
}

void WindowPort::operationFinished(Operation op, std::uint32_t result) {
    post([this, op, result] { m_target.operationFinished(op, result); });
}

}  // namespace ib::win32
