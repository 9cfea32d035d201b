#include "win32/window_controls.h"

#include "app/control_table.h"
#include "platform/windows/wide_text.h"

namespace ib::win32 {
namespace {

// The number a dialog template gives a control without a number of its own
// (its low word, as Windows reads it).
constexpr int kUnnumbered = 0xFFFF;

}  // namespace

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

void WindowControls::setEnabled(int id, bool enabled) { ::EnableWindow(::GetDlgItem(m_dialog, id), enabled); }

// The dialog's own child that holds the focus (a combo box for its edit); a
// control without a number of its own (the banner, a label) counts as none.
int WindowControls::focusedControl() const {
    HWND focus = ::GetFocus();
    if (!focus || focus == m_dialog || !::IsChild(m_dialog, focus)) return kNoId;
    while (::GetParent(focus) != m_dialog) focus = ::GetParent(focus);
    const int id = ::GetDlgCtrlID(focus);
    return (id & kUnnumbered) == kUnnumbered ? kNoId : id;
}

// Shown by its own style: while the dialog starts, nothing is visible yet.
bool WindowControls::canTakeFocus(int id) const {
    HWND control = ::GetDlgItem(m_dialog, id);
    return control && ::IsWindowEnabled(control) && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
}

// Not while another window is active, which the focus would activate: the
// dialog's activation places the focus then. The dialog itself, holding the
// focus, keeps the default button's look (a disabled default button that lost
// the focus would lose it for good).
void WindowControls::focusControl(int id) {
    if (::IsWindowVisible(m_dialog) && ::GetActiveWindow() != m_dialog) return;
    if (id != kNoId) {
        ::SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_dialog, id)), TRUE);
        return;
    }
    ::SetFocus(m_dialog);
    const auto defaultId = LOWORD(::SendMessageW(m_dialog, DM_GETDEFID, 0, 0));
    ::SendMessageW(m_dialog, DM_SETDEFID, defaultId, 0);
}

}  // namespace ib::win32
