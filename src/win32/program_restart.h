// Starting imageburner.exe again: in another working folder, or as
// administrator (the "runas" verb, which asks the user for elevation).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ib::win32 {

enum class Rights { Same, Administrator };

// Starts this program with `arguments` (UTF-8, without the program's name);
// false when it did not start, also when the user declined the elevation.
[[nodiscard]] bool startProgramAgain(HWND owner, const std::vector<std::string>& arguments, Rights rights);

// This program's arguments as the system gives them (UTF-16), in UTF-8.
std::vector<std::string> programArguments();

}  // namespace ib::win32
