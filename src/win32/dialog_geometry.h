// Dialog units to pixels for a dialog's font, and the size of a dialog's
// window for a given client area.
#pragma once

#include <windows.h>

#include "app/control_table.h"

namespace ib::win32 {

RECT pixelsOf(HWND dialog, const DialogRect& rect);
// Resizes `dialog` so that its client area is `client` pixels, keeping its
// top-left corner where the dialog then still fits in its monitor's work
// area, else moving it up and left as far as needed.
void setClientSize(HWND dialog, SIZE client);

}  // namespace ib::win32
