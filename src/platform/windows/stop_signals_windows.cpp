// Ctrl+C and Ctrl+Break in the console as a stop request. The handler runs on
// a thread of its own that the system starts for it. Closing the console is
// left to the system, which ends the program when the handler returns.
// See stop_signals.h.
#include <windows.h>

#include "platform/stop_signals.h"

namespace ib::platform {
namespace {

constexpr UINT kStoppedExitStatus = 130;

std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_stopRequestedAgain{false};
std::atomic<bool> g_secondStopHeld{false};

BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (g_stopRequested.exchange(true)) {
        if (!g_secondStopHeld.load()) ::ExitProcess(kStoppedExitStatus);  // the second request: at once
        g_stopRequestedAgain.store(true);
    }
    return TRUE;
}

}  // namespace

StopSignals installStopSignals() {
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
    return {g_stopRequested, g_stopRequestedAgain};
}

void holdSecondStop() { g_secondStopHeld.store(true); }

}  // namespace ib::platform
