#include "win32/window_controls.h"

#include "platform/windows/wide_text.h"

namespace ib::win32 {

std::string windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return platform::utf8FromWide(text);
}

std::string WindowControls::text(int id) const { return windowText(::GetDlgItem(m_dialog, id)); }

void WindowControls::setText(int id, const std::string& text) {
    ::SetDlgItemTextW(m_dialog, id, platform::wideFromUtf8(text).c_str());
}

bool WindowControls::isChecked(int id) const { return ::IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }

void WindowControls::setChecked(int id, bool checked) {
    ::CheckDlgButton(m_dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void WindowControls::selectListEntry(int id, int index) {
    ::SendDlgItemMessageW(m_dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void WindowControls::setEnabled(int id, bool enabled) {
    HWND control = ::GetDlgItem(m_dialog, id);
    HWND focus = ::GetFocus();
    const bool hadFocus = focus && (focus == control || ::IsChild(control, focus));
    ::EnableWindow(control, enabled);
    if (!enabled && hadFocus) moveFocusOn();
}

// A disabled control loses the focus, which would leave the keys nowhere
// (Escape would no longer reach the dialog): the focus moves to the next
// control, or to the dialog itself when there is none. Unless it lands on
// another push button, the dialog's default button keeps its look (a disabled
// default button that lost the focus would lose it for good).
void WindowControls::moveFocusOn() const {
    ::SendMessageW(m_dialog, WM_NEXTDLGCTL, 0, FALSE);
    HWND focus = ::GetFocus();
    if (!focus || !::IsWindowEnabled(focus)) {
        ::SetFocus(m_dialog);
        focus = m_dialog;
    }
    const auto code = ::SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        const auto defaultId = LOWORD(::SendMessageW(m_dialog, DM_GETDEFID, 0, 0));
        ::SendMessageW(m_dialog, DM_SETDEFID, defaultId, 0);
    }
}

}  // namespace ib::win32
