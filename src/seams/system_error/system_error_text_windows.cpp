// System error texts on Windows: FormatMessageW, turned into UTF-8. See
// system_error_text.h.
#include <windows.h>

#include <memory>

#include "seams/system_error_text.h"

namespace ib {
namespace {

std::string utf8FromWide(const wchar_t* text, int length) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

}  // namespace

std::string windowsErrorText(unsigned long code, unsigned short language) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&::LocalFree)> owned(text, &::LocalFree);
    if (length == 0) return "system error " + std::to_string(code);
    DWORD kept = length;
    while (kept > 0 && (text[kept - 1] == L'\r' || text[kept - 1] == L'\n' || text[kept - 1] == L' ')) --kept;
    return utf8FromWide(text, static_cast<int>(kept));
}

std::string systemErrorText(const std::error_code& error) {
    if (error.category() != std::system_category()) return error.message();
    return windowsErrorText(static_cast<unsigned long>(error.value()));
}

std::error_code lastSystemError() { return {static_cast<int>(::GetLastError()), std::system_category()}; }

}  // namespace ib
