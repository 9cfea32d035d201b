// Reads the main dialog of a running imageburner from outside, as a test
// sees it, and checks its layout against the control table.
//
//   layout_probe [--desktop NAME] [--service | --list] TITLE_PREFIX
//
// Waits up to ten seconds for a visible top-level window whose title begins
// with TITLE_PREFIX on Wine desktop NAME (default: the process's own), then
// prints one line for the dialog ("dialog X Y WIDTH HEIGHT TITLE": the client
// area's screen position and size), one for its frame ("frame LEFT TOP RIGHT
// BOTTOM" on the screen), one for the keyboard focus ("focus id=N" for the
// control that has it, "focus dialog" or "focus none"), one per control ("control id=... class=...
// style=0x... enabled=0|1 visible=0|1 checked=N selected=N rect=L,T,R,B
// text=...") and one per difference from the layout ("difference: ...").
// --service: the service panel must be shown (else hidden); its controls'
// places and the grown client area are checked. --list: the window is
// another (the about box): its controls are listed, not checked.
// Exit status 0: as it must be; 1: differences; 2: no window or bad arguments.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expected_layout.h"
#include "layout_check.h"
#include "probed_controls.h"

namespace {

using namespace ib::probe;

struct Arguments {
    std::wstring desktop;
    bool servicePanelShown = false;
    bool listOnly = false;
    std::wstring titlePrefix;
};

bool parse(int argc, wchar_t** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--desktop" && i + 1 < argc)
            args.desktop = argv[++i];
        else if (arg == L"--service")
            args.servicePanelShown = true;
        else if (arg == L"--list")
            args.listOnly = true;
        else
            args.titlePrefix = arg;
    }
    return !args.titlePrefix.empty();
}

// Windows are found and made on the thread's desktop: the dialog's, before any window exists here.
bool joinDesktop(const std::wstring& name) {
    if (name.empty()) return true;
    HDESK desktop = OpenDesktopW(name.c_str(), 0, FALSE, GENERIC_ALL);
    return desktop && SetThreadDesktop(desktop);
}

HWND waitForDialog(const std::wstring& titlePrefix) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (HWND dialog = findDialog(titlePrefix)) return dialog;
        Sleep(100);
    }
    return nullptr;
}

void printDialog(HWND dialog) {
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT client{};
    GetClientRect(dialog, &client);
    std::printf("dialog %ld %ld %ld %ld %s\n", origin.x, origin.y, client.right, client.bottom,
                windowTitle(dialog).c_str());
    RECT frame{};
    GetWindowRect(dialog, &frame);
    std::printf("frame %ld %ld %ld %ld\n", frame.left, frame.top, frame.right, frame.bottom);
}

// The keyboard focus on the dialog's thread, as the dialog's own child that holds it.
void printFocus(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND focus = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus : nullptr;
    if (!focus) {
        std::printf("focus none\n");
        return;
    }
    if (focus == dialog) {
        std::printf("focus dialog\n");
        return;
    }
    while (focus && GetParent(focus) != dialog) focus = GetParent(focus);
    std::printf("focus id=%d\n", focus ? GetDlgCtrlID(focus) & 0xFFFF : 0);
}

// Line breaks as \n, so that each control stays on one line.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) line += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
    return line;
}

void printControl(const ProbedControl& c) {
    std::printf("control id=%d class=%s style=0x%08lx enabled=%d visible=%d checked=%d selected=%d rect=%ld,%ld,%ld,%ld "
                "text=%s\n",
                c.id, c.className.c_str(), c.style, c.enabled, c.visible, c.checked, c.selected, c.rect.left,
                c.rect.top, c.rect.right, c.rect.bottom, oneLine(c.text).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The dialog's pixels as they are, and its font mapped at the same scaling.
    SetProcessDPIAware();
    Arguments args;
    if (!parse(argc, argv, args)) {
        std::fprintf(stderr, "usage: layout_probe [--desktop NAME] [--service | --list] TITLE_PREFIX\n");
        return 2;
    }
    if (!joinDesktop(args.desktop)) {
        std::fprintf(stderr, "layout_probe: the desktop could not be joined\n");
        return 2;
    }
    HWND dialog = waitForDialog(args.titlePrefix);
    if (!dialog) {
        std::fprintf(stderr, "layout_probe: no dialog\n");
        return 2;
    }
    printDialog(dialog);
    printFocus(dialog);
    const ProbedDialog probed = probeDialog(dialog);
    for (const ProbedControl& control : probed.controls) printControl(control);
    if (args.listOnly) return 0;
    const auto differences = layoutDifferences(expectedLayout(), probed, args.servicePanelShown);
    for (const std::string& difference : differences) std::printf("difference: %s\n", difference.c_str());
    return differences.empty() ? 0 : 1;
}
