// What another process's dialog shows, read from outside as a test sees it:
// each control's number, class, text, style, state and rectangle.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ib::probe {

struct ProbedControl {
    int id = 0;  // 65535 for a control without a number of its own
    std::string className;
    std::string text;  // UTF-8; an editable combo box's edit text
    DWORD style = 0;
    bool enabled = false;
    bool visible = false;
    int checked = -1;   // check boxes: BM_GETCHECK; -1 for other controls
    int selected = -1;  // combo boxes: the selected entry, -1 for none
    RECT rect{};        // in the dialog's client coordinates
};

struct ProbedDialog {
    SIZE client{};
    int defaultButton = 0;  // the dialog's default button (DM_GETDEFID), 0 for none
    std::vector<ProbedControl> controls;
};

// The visible top-level window whose title begins with `titlePrefix`, or null.
HWND findDialog(const std::wstring& titlePrefix);
// The dialog's own title (UTF-8).
std::string windowTitle(HWND window);
// The dialog's client size, default button and own child windows, these in Z
// order (the order they were created in).
ProbedDialog probeDialog(HWND dialog);

}  // namespace ib::probe
