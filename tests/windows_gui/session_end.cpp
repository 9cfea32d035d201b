// Ends the user's session for one window as Windows does at a log-off, from
// outside its process: WM_QUERYENDSESSION first, then WM_ENDSESSION, which the
// system sends whatever the first answer was once the user chose to log off
// anyway.
//
//   session_end [--desktop NAME] TITLE_PREFIX
//
// Prints "query: allowed" or "query: refused", then "ended" when the window
// has returned from WM_ENDSESSION. Exit status 0, or 2: no window or bad arguments.
#include <windows.h>

#include <cstdio>
#include <string>

#include "probed_controls.h"

namespace {

// Waits long: the window returns only after its running operation has stopped.
constexpr UINT kEndTimeoutMs = 120'000;

bool joinDesktop(const std::wstring& name) {
    if (name.empty()) return true;
    HDESK desktop = OpenDesktopW(name.c_str(), 0, FALSE, GENERIC_ALL);
    return desktop && SetThreadDesktop(desktop);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring desktop;
    std::wstring title;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--desktop" && i + 1 < argc)
            desktop = argv[++i];
        else
            title = arg;
    }
    HWND window = nullptr;
    if (title.empty() || !joinDesktop(desktop) || !(window = ib::probe::findDialog(title))) {
        std::fprintf(stderr, "usage: session_end [--desktop NAME] TITLE_PREFIX (with that window shown)\n");
        return 2;
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10'000, &answer)) {
        std::fprintf(stderr, "session_end: no answer to WM_QUERYENDSESSION\n");
        return 2;
    }
    std::printf("query: %s\n", answer ? "allowed" : "refused");
    std::fflush(stdout);
    if (!SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kEndTimeoutMs, &answer)) {
        std::fprintf(stderr, "session_end: WM_ENDSESSION did not return\n");
        return 2;
    }
    std::printf("ended\n");
    return 0;
}
