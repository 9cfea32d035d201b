// UTF-8 (the program's own text) to and from UTF-16 (the text of Windows' wide
// calls). Pure, so both directions are tested on every platform.
#pragma once

#include <string>
#include <string_view>

namespace ib::platform {

// Malformed UTF-8 (a stray byte, a cut or overlong sequence, an encoded
// surrogate, a value above U+10FFFF) becomes U+FFFD, one per bad byte.
std::u16string utf16FromUtf8(std::string_view text);
// An unpaired surrogate becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

}  // namespace ib::platform
