#include "win32/service_panel.h"

#include <algorithm>

#include "app/control_table.h"
#include "win32/dialog_geometry.h"

namespace ib::win32 {

void ServicePanel::attach(HWND dialog) {
    m_dialog = dialog;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (!(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) m_controls.push_back(child);
}

void ServicePanel::show(bool shown) {
    if (!shown) takeFocusOut();
    m_shown = shown;
    for (HWND control : m_controls) ::ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    const RECT client = pixelsOf(m_dialog, shown ? kClientAreaWithServicePanel : kClientArea);
    setClientSize(m_dialog, {client.right - client.left, client.bottom - client.top});
}

void ServicePanel::takeFocusOut() {
    HWND focus = ::GetFocus();
    const bool inPanel = std::any_of(m_controls.begin(), m_controls.end(), [focus](HWND control) {
        return focus == control || ::IsChild(control, focus);
    });
    if (inPanel)
        ::SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_dialog, control::Start)), TRUE);
}

}  // namespace ib::win32
