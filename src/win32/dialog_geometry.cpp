#include "win32/dialog_geometry.h"

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
    ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ib::win32
