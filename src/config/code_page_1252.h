// Turns UTF-16 LE text into code page 1252, the single-byte encoding in which
// the ANSI profile functions of a Western Windows return a profile saved as
// Unicode. Used by the profile reader for files that start with FF FE.
#pragma once

#include <string>
#include <string_view>

namespace ib {

// `bytes` are UTF-16 LE code units without their byte-order mark; a last odd
// byte is dropped. A character that code page 1252 cannot show becomes '?'
// (a surrogate pair, standing for one character, becomes one '?').
std::string utf16LeToCodePage1252(std::string_view bytes);

}  // namespace ib
