// The service panel below the dialog's visible area: shown, the dialog grows
// to hold it and its controls appear; hidden, the dialog shrinks back and the
// controls are hidden, so no key reaches them.
#pragma once

#include <windows.h>

#include <vector>

namespace ib::win32 {

class ServicePanel {
public:
    // The panel's controls are the dialog's children that start hidden.
    void attach(HWND dialog);
    bool shown() const { return m_shown; }
    void show(bool shown);

private:
    // When the focus is on a panel control about to hide, it goes to the start button.
    void takeFocusOut();

    HWND m_dialog = nullptr;
    std::vector<HWND> m_controls;
    bool m_shown = false;
};

}  // namespace ib::win32
