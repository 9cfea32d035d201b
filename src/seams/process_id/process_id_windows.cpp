// Process ids on Windows: a process runs while it can be opened and has no
// exit code yet. See process_id.h.
#include <windows.h>

#include "seams/process_id.h"

namespace ib {

long currentProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

bool processRunning(long pid) {
    if (pid <= 0) return true;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    // An id no process has is an invalid parameter; any other refusal (access) is a process that runs.
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD exitCode = 0;
    const bool running = !::GetExitCodeProcess(process, &exitCode) || exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

}  // namespace ib
