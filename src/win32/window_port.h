// The window's user-interface port as the controller and its workers see it:
// every call is carried out by `target` on the dialog's thread, in the order
// the calls come. A call from that thread runs at once; a call from a worker
// is posted, and the worker waits for the answer of a message box or a file
// chooser. Status reports that follow one another while the dialog has not
// yet shown the first are shown once, as the last of them, and so is the
// transfer progress: a worker that reports faster than the screen is painted
// never floods the dialog's queue, which would hold back its timers and input.
#pragma once

#include <memory>
#include <mutex>

#include "app/user_interface_port.h"
#include "win32/dialog_thread.h"

namespace ib::win32 {

class WindowPort final : public UserInterfacePort {
public:
    // Both must outlive every worker that reports here.
    WindowPort(UserInterfacePort& target, const DialogThread& thread) : m_target(target), m_thread(thread) {}

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
    // A report after this call may no longer join a status queued before it.
    void sealStatus();

    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };

    UserInterfacePort& m_target;
    const DialogThread& m_thread;
    std::mutex m_mutex;
    // The state a queued status call will show; null when the last call
    // queued is not a status or has run.
    std::shared_ptr<StatusState> m_openStatus;
    // The progress a queued progress call will show, while one is queued.
    std::shared_ptr<Progress> m_queuedProgress;
};

}  // namespace ib::win32
