// File names travel through the program as UTF-8 strings; these turn them into
// std::filesystem::path and back. A path built straight from a std::string is
// read in the system's narrow code page, which on Windows is not UTF-8, so any
// name outside ASCII would name another file; through char8_t both directions
// are UTF-8 on every platform (on Linux they copy the bytes).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ib {

inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// The path an environment variable names; nullopt when it is unset or empty.
// Windows keeps the environment in UTF-16, and its narrow copy is in the ANSI
// code page, so the wide copy is read there.
inline std::optional<std::filesystem::path> pathFromEnvironment(const char* name) {
#ifdef _WIN32
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));  // names are ASCII
    const wchar_t* value = ::_wgetenv(wideName.c_str());
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(std::wstring(value));
#else
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return pathFromUtf8(value);
#endif
}

}  // namespace ib
