// The main dialog's keys, which a modal dialog's own message loop does not
// translate: Ctrl+Shift+S toggles the service panel, F1 opens the about box.
// A message-filter hook on the dialog's thread sees the keys before the
// dialog does and sends the matching system-menu command.
#pragma once

#include <windows.h>

namespace ib::win32 {

class DialogShortcuts {
public:
    // For `dialog` and its controls, on the calling thread, until destruction.
    DialogShortcuts(HWND dialog, WPARAM aboutCommand, WPARAM serviceCommand);
    ~DialogShortcuts();
    DialogShortcuts(const DialogShortcuts&) = delete;
    DialogShortcuts& operator=(const DialogShortcuts&) = delete;

private:
    static LRESULT CALLBACK filter(int code, WPARAM wParam, LPARAM lParam);
    bool handle(const MSG& message) const;

    HWND m_dialog;
    WPARAM m_aboutCommand;
    WPARAM m_serviceCommand;
    HHOOK m_hook = nullptr;
};

}  // namespace ib::win32
