// UTF-8 to and from the wide strings of Windows' calls (wchar_t is UTF-16 there).
#pragma once

#include <string>
#include <string_view>

#include "platform/windows/utf16_text.h"

namespace ib::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

inline std::wstring wideFromUtf8(std::string_view text) {
    const std::u16string utf16 = utf16FromUtf8(text);
    return {utf16.begin(), utf16.end()};
}

inline std::string utf8FromWide(std::wstring_view text) {
    return utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

}  // namespace ib::platform
