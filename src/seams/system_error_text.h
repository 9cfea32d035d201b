// The system's own text for an error, in UTF-8 like every other text of the
// program. On Windows std::error_code::message() gives the text in the ANSI
// code page (or no text of the system's at all), which shows as garbage inside
// UTF-8 output; there the text comes from FormatMessageW instead.
#pragma once

#include <string>
#include <system_error>

namespace ib {

// The text for `error`, without a line end.
std::string systemErrorText(const std::error_code& error);

#ifdef _WIN32
// The calling thread's last system error, GetLastError().
std::error_code lastSystemError();

// The text for the Win32 error `code` in `language` (a LANGID; 0: the user's).
std::string windowsErrorText(unsigned long code, unsigned short language = 0);
#endif

}  // namespace ib
