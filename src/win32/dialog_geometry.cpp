#include "win32/dialog_geometry.h"

#include <algorithm>

namespace ib::win32 {

RECT pixelsOf(HWND dialog, const DialogRect& rect) {
    RECT pixels{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    ::MapDialogRect(dialog, &pixels);
    return pixels;
}

void setClientSize(HWND dialog, SIZE client) {
    RECT window{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&window, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    RECT place;
    ::GetWindowRect(dialog, &place);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG left = std::max(work.left, std::min(place.left, work.right - width));
    const LONG top = std::max(work.top, std::min(place.top, work.bottom - height));
    ::SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ib::win32
