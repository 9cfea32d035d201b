// The dialog's bound controls over its child windows, for the shared dialog
// logic: texts in UTF-8 here, UTF-16 in the windows.
#pragma once

#include <windows.h>

#include "app/dialog_controls.h"

namespace ib::win32 {

class WindowControls final : public DialogControls {
public:
    void attach(HWND dialog) { m_dialog = dialog; }

    std::string text(int id) const override;
    void setText(int id, const std::string& text) override;
    bool isChecked(int id) const override;
    void setChecked(int id, bool checked) override;
    void selectListEntry(int id, int index) override;
    void setEnabled(int id, bool enabled) override;
    int focusedControl() const override;
    bool canTakeFocus(int id) const override;
    void focusControl(int id) override;

private:
    HWND m_dialog = nullptr;
};

// The text of window `window`, in UTF-8.
std::string windowText(HWND window);

}  // namespace ib::win32
