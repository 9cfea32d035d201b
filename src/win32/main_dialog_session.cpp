// The main dialog and the end of the user's session (log-off, shut-down,
// restart), and the offer to start again as administrator. While an
// operation runs the dialog holds the end back with its reason; when the
// session ends all the same, the operation stops at its next command (the
// recorder's session closed) before WM_ENDSESSION returns, after which
// Windows may end the process at any moment.
#include "win32/main_dialog.h"

#include "platform/windows/wide_text.h"
#include "win32/program_restart.h"

namespace ib::win32 {

void MainDialog::blockSessionEndWhileBusy() {
    const bool busy = m_logic.operationRunning();
    if (busy == m_sessionEndBlocked) return;
    m_sessionEndBlocked = busy;
    if (busy)
        ::ShutdownBlockReasonCreate(m_dialog, platform::wideFromUtf8(kSessionEndBlockReason).c_str());
    else
        ::ShutdownBlockReasonDestroy(m_dialog);
}

void MainDialog::onQueryEndSession() {
    const bool mayEnd = m_logic.sessionMayEnd();
    if (!mayEnd) m_log.warning(std::string("The session's end was refused: ") + kSessionEndBlockReason);
    blockSessionEndWhileBusy();
    ::SetWindowLongPtrW(m_dialog, DWLP_MSGRESULT, mayEnd ? TRUE : FALSE);
}

void MainDialog::onEndSession(bool ending) {
    ::SetWindowLongPtrW(m_dialog, DWLP_MSGRESULT, 0);
    if (!ending) return;
    m_logic.endSession();
    if (m_logic.endAwaited()) m_log.warning("The session ends: the running operation stops at its next command.");
    // The worker's calls and its end are carried out here (its message boxes
    // only logged) until it has ended.
    while (m_logic.endAwaited()) {
        MSG wakeUp;  // the queue is ours: its wake-ups only say that calls wait
        while (::PeekMessageW(&wakeUp, m_dialog, kPostedCallMessage, kPostedCallMessage, PM_REMOVE)) {
        }
        m_thread.runQueued();
        if (m_logic.endAwaited()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
    }
    close();
}

void MainDialog::offerElevation(const std::string& question) {
    const std::wstring text = platform::wideFromUtf8(question);
    const std::wstring title = platform::wideFromUtf8(windowText(m_dialog));
    const auto open = m_logic.boxOpened();
    if (::MessageBoxW(m_dialog, text.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING) != IDYES) return;
    // Declined at the elevation prompt: this program goes on as it was.
    if (startProgramAgain(m_dialog, m_logic.argumentsHere(m_arguments), Rights::Administrator))
        m_logic.leaveWhenFinished();
}

}  // namespace ib::win32
