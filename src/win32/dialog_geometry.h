// Dialog units to pixels for a dialog's font, and the size of a dialog's
// window for a given client area.
#pragma once

#include <windows.h>

#include "app/control_table.h"

namespace ib::win32 {

RECT pixelsOf(HWND dialog, const DialogRect& rect);
// Resizes `dialog` so that its client area is `client` pixels, keeping its place.
void setClientSize(HWND dialog, SIZE client);

}  // namespace ib::win32
