// Read before every source file of the Windows build (-include): a
// std::filesystem::path made from a std::string, a std::string_view or a char
// pointer reads the bytes in the ANSI code page, so a UTF-8 name outside ASCII
// names another file. Here such a conversion does not compile; paths made from
// text go through pathFromUtf8 (seams/utf8_path.h). String literals, which are
// ASCII in this program, still convert.
//
// The refusal marks the three kinds as no path source in the standard
// library's own trait (libstdc++, the library of the mingw-w64 build), so
// every path constructor, assignment, append and concatenation declines them.
#pragma once

#ifdef __cplusplus
#include <filesystem>
#include <string>
#include <string_view>

namespace std::filesystem::__detail {
template <>
inline constexpr bool __is_path_src<std::string> = false;
template <>
inline constexpr bool __is_path_src<std::string_view> = false;
template <>
inline constexpr bool __is_path_src<char*> = false;
template <>
inline constexpr bool __is_path_src<const char*> = false;
}  // namespace std::filesystem::__detail
#endif
