// The window program: reads its options, assembles the application session on
// the dialog's port, shows the main dialog and ends when it closes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ib::win32 {

// Runs the program with `arguments` (UTF-8, without the program's name); the exit status.
int runWindowApp(HINSTANCE instance, const std::vector<std::string>& arguments);

}  // namespace ib::win32
