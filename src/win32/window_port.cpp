#include "win32/window_port.h"

namespace ib::win32 {

template <typename Call>
void WindowPort::post(Call call) {
    if (m_thread.isCurrent()) {
        call();
        return;
    }
    sealStatus();
    m_thread.post(std::move(call));
}

void WindowPort::sealStatus() {
    std::lock_guard lock(m_mutex);
    m_openStatus.reset();
}

void WindowPort::renderStatus(const StatusState& state) {
    if (m_thread.isCurrent()) {
        m_target.renderStatus(state);
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_openStatus) {
        *m_openStatus = state;  // the queued call shows this one instead
        return;
    }
    auto slot = std::make_shared<StatusState>(state);
    m_openStatus = slot;
    m_thread.post([this, slot] {
        StatusState shown;
        {
            std::lock_guard running(m_mutex);
            if (m_openStatus == slot) m_openStatus.reset();
            shown = *slot;
        }
        m_target.renderStatus(shown);
    });
}

void WindowPort::showStepMessage(const std::string& text) {
    post([this, text] { m_target.showStepMessage(text); });
}

void WindowPort::showWarning(const std::string& text) {
    sealStatus();
    m_thread.ask([this, text] {
        m_target.showWarning(text);
        return true;
    });
}

void WindowPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    sealStatus();
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
    sealStatus();
    return m_thread.ask([this, request] { return m_target.chooseFile(request); });
}

void WindowPort::showValues(const DialogValues& values) {
    post([this, values] { m_target.showValues(values); });
}

// The progress bar stands apart from the other calls: only its latest value counts.
void WindowPort::transferProgress(std::uint64_t done, std::uint64_t total) {
    if (m_thread.isCurrent()) {
        m_target.transferProgress(done, total);
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_queuedProgress) {
        *m_queuedProgress = {done, total};
        return;
    }
    auto slot = std::make_shared<Progress>(Progress{done, total});
    m_queuedProgress = slot;
    m_thread.post([this, slot] {
        Progress shown;
        {
            std::lock_guard running(m_mutex);
            m_queuedProgress.reset();
            shown = *slot;
        }
        m_target.transferProgress(shown.done, shown.total);
    });
}

void WindowPort::operationFinished(Operation op, std::uint32_t result) {
    post([this, op, result] { m_target.operationFinished(op, result); });
}

}  // namespace ib::win32
