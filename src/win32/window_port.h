// The window's user-interface port as the controller and its workers see it:
// every call is carried out by `target` on the dialog's thread, in the order
// the calls come. A call from that thread runs at once; a call from a worker
// is posted, and the worker waits for the answer of a message box or a file
// chooser. A worker's status reports and transfer progress are not posted one
// by one: the latest waits for the dialog's periodic call (or goes ahead of
// the worker's next other call), so a worker that reports faster than the
// screen is painted never floods the dialog's queue, which would hold back
// its timers and input.
#pragma once

#include <mutex>
#include <optional>

#include "app/user_interface_port.h"
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
    // On the dialog's thread: shows the waiting status and progress.
    void showWaitingReports();

    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };

    UserInterfacePort& m_target;
    DialogThread& m_thread;
    std::mutex m_mutex;
    std::optional<StatusState> m_waitingStatus;
    std::optional<Progress> m_waitingProgress;
};

}  // namespace ib::win32
