// The text of the last Win32 error, for the helper tools' messages on Windows.
#pragma once

#include <windows.h>

#include <string>

#include "seams/system_error_text.h"

namespace ib::tools {

// The system's text for GetLastError().
inline std::string lastErrorText() { return systemErrorText(lastSystemError()); }

// "<what>: <the system's text for GetLastError()>".
inline std::string withLastError(const std::string& what) { return what + ": " + lastErrorText(); }

}  // namespace ib::tools
