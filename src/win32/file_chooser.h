// The system's file choosers (GetOpenFileNameW, GetSaveFileNameW) for a
// FileChooserRequest, and its folder chooser, owned by a window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "operation/file_chooser_request.h"

namespace ib::win32 {

// "Description|pattern|...||" as the chooser takes it: each '|' a NUL, and
// the list ended by two NULs.
std::wstring chooserFilter(const std::string& filter);

// The chosen file; with several chosen, the first. nullopt when cancelled.
std::optional<std::string> chooseFile(HWND owner, const FileChooserRequest& request);

// The folder the user picks, starting in `start`; nullopt when cancelled.
std::optional<std::string> chooseFolder(HWND owner, const std::string& start);

}  // namespace ib::win32
