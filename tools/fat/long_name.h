// Which names a FAT directory can hold as long names, and the forms a name takes there:
// UCS-2 (UTF-16 without surrogates) for the long-name entries, and upper case for FAT's case-blind comparison of
// the names in one directory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ib::tools::fat {

// A long name holds at most this many characters.
inline constexpr std::size_t kMaxLongNameCharacters = 255;

// Why `name` (UTF-8) cannot stand in a FAT directory as it is; nullopt when it can.
std::optional<std::string> longNameProblem(std::string_view name);

// `name` (UTF-8 for which longNameProblem found nothing) in UCS-2.
std::u16string utf16Name(std::string_view name);

// `name` with its letters in upper case where FAT's comparison tells no case apart:
// ASCII, Latin-1, Latin Extended-A (the Polish letters among them), Greek and Cyrillic.
std::u16string caseBlindName(std::u16string_view name);

}  // namespace ib::tools::fat
