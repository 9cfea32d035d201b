// The window's user-interface port as the controller and its workers see it:
// every call is carried out by `target` on the dialog's thread, in the order
// the calls come. A call from that thread runs at once; a call from a worker
// is posted, and the worker waits for the answer of a message box or a file
// chooser. A worker's status reports and progress wait as WaitingReports
// says, for the dialog's periodic call.
#pragma once

#include "app/user_interface_port.h"
#include "app/waiting_reports.h"
#include "win32/dialog_thread.h"

namespace ib::win32 {

class WindowPort final : public UserInterfacePort {
public:
    // Both must outlive every worker that reports here.
    WindowPort(UserInterfacePort& target, DialogThread& thread);
    ~WindowPort() override;
    WindowPort(const WindowPort&) = delete;
    WindowPort& operator=(const WindowPort&) = delete;

    void renderStatus(const StatusState& state) override;
    void showStepMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    void setOperationButtonsEnabled(bool enabled) override;
    void setControlEnabled(ControlId control, bool enabled) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void showValues(const DialogValues& values) override;
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    void operationFinished(Operation op, std::uint32_t result) override;

private:
    // Runs `call` on the dialog's thread, at once when already there.
    template <typename Call>
    void post(Call call);
    // Posts the waiting status ahead of the worker's next call.
    void postWaitingStatus();

    UserInterfacePort& m_target;
    DialogThread& m_thread;
    WaitingReports m_waiting;
};

}  // namespace ib::win32
