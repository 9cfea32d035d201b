#include "ui/qt_port.h"

#include <QThread>

namespace ib::ui {

namespace {
// How often waiting reports are shown.
constexpr int kPeriodMs = 30;
}  // namespace

QtPort::QtPort(UserInterfacePort& target, QObject& thread) : m_target(target), m_thread(thread) {
    QObject::connect(&m_periodic, &QTimer::timeout, &m_thread, [this] { m_waiting.showOn(m_target); });
    m_periodic.start(kPeriodMs);
}

bool QtPort::onUserInterfaceThread() const { return QThread::currentThread() == m_thread.thread(); }

template <typename Call>
void QtPort::post(Call&& call) {
    if (onUserInterfaceThread()) {
        call();
        return;
    }
    postWaitingStatus();
    QMetaObject::invokeMethod(&m_thread, std::forward<Call>(call), Qt::QueuedConnection);
}

void QtPort::postWaitingStatus() {
    if (auto statuses = m_waiting.takeStatuses(); !statuses.empty())
        QMetaObject::invokeMethod(
            &m_thread, [this, statuses = std::move(statuses)] { WaitingReports::show(m_target, statuses); },
            Qt::QueuedConnection);
}

template <typename Call>
auto QtPort::ask(Call&& call) {
    if (onUserInterfaceThread()) return call();
    postWaitingStatus();
    decltype(call()) answer{};
    // Queued behind everything posted before, so the order holds.
    QMetaObject::invokeMethod(&m_thread, std::forward<Call>(call), Qt::BlockingQueuedConnection, &answer);
    return answer;
}

void QtPort::renderStatus(const StatusState& state) {
    if (onUserInterfaceThread())
        m_waiting.showAfterWaiting(m_target, state);
    else
        m_waiting.status(state);
}

void QtPort::showStepMessage(const std::string& text) {
    post([this, text] { m_target.showStepMessage(text); });
}

void QtPort::showWarning(const std::string& text) {
    ask([this, text] {
        m_target.showWarning(text);
        return true;
    });
}

void QtPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    ask([this, kind, text] {
        m_target.showMessageBox(kind, text);
        return true;
    });
}

bool QtPort::askYesNo(Question question, const std::string& text) {
    return ask([this, question, text] { return m_target.askYesNo(question, text); });
}

void QtPort::setOperationButtonsEnabled(bool enabled) {
    post([this, enabled] { m_target.setOperationButtonsEnabled(enabled); });
}

void QtPort::setControlEnabled(ControlId control, bool enabled) {
    post([this, control, enabled] { m_target.setControlEnabled(control, enabled); });
}

std::optional<std::string> QtPort::chooseFile(const FileChooserRequest& request) {
    return ask([this, request] { return m_target.chooseFile(request); });
}

void QtPort::showValues(const DialogValues& values) {
    post([this, values] { m_target.showValues(values); });
}

void QtPort::transferProgress(std::uint64_t done, std::uint64_t total) {
    if (onUserInterfaceThread())
        m_target.transferProgress(done, total);
    else
        m_waiting.progress(done, total);
}

void QtPort::operationFinished(Operation op, std::uint32_t result) {
    post([this, op, result] { m_target.operationFinished(op, result); });
}

}  // namespace ib::ui
