// The about box: the program's icon, one text naming the program and its
// version, and "OK".
#pragma once

#include <windows.h>

namespace ib::win32 {

// Shows the box, owned by `owner`, and returns when it is closed.
void showAboutBox(HINSTANCE instance, HWND owner);

}  // namespace ib::win32
