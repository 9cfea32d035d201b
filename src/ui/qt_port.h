// The window's user-interface port as the controller and its workers see it:
// every call is carried out by `target` on the user-interface thread, in the
// order the calls come. A call from that thread runs at once; a call from a
// worker is queued, and the worker waits for the answer of a message box or a
// file chooser. A worker's status reports and progress wait as WaitingReports
// says, for a timer on the user-interface thread.
#pragma once

#include <QObject>
#include <QTimer>

#include "app/user_interface_port.h"
#include "app/waiting_reports.h"

namespace ib::ui {

class QtPort final : public UserInterfacePort {
public:
    // `target` lives on the user-interface thread, which `thread` stands for;
    // both must outlive every worker that reports here.
    QtPort(UserInterfacePort& target, QObject& thread);

    void renderStatus(const StatusState& state) override;
    void showStepMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    bool askYesNo(Question question, const std::string& text) override;
    void setOperationButtonsEnabled(bool enabled) override;
    void setControlEnabled(ControlId control, bool enabled) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void showValues(const DialogValues& values) override;
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    void operationFinished(Operation op, std::uint32_t result) override;

private:
    bool onUserInterfaceThread() const;
    // Runs `call` on the user-interface thread without waiting for it.
    template <typename Call>
    void post(Call&& call);
    // Runs `call` on the user-interface thread and returns its result.
    template <typename Call>
    auto ask(Call&& call);
    // Posts the waiting status ahead of the worker's next call.
    void postWaitingStatus();

    UserInterfacePort& m_target;
    QObject& m_thread;
    WaitingReports m_waiting;
    QTimer m_periodic;
};

}  // namespace ib::ui
