// Which names a FAT directory can hold as long names, and the forms a name takes there:
// UTF-16 for the long-name entries, and upper case for FAT's case-blind comparison of the
// names in one directory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ib::tools::fat {

// A long name holds at most this many UTF-16 units (a character beyond U+FFFF takes two).
inline constexpr std::size_t kMaxLongNameUnits = 255;

// Why `name` (UTF-8) cannot stand in a FAT directory as it is; nullopt when it can.
std::optional<std::string> longNameProblem(std::string_view name);

// `name` (UTF-8 for which longNameProblem found nothing) in UTF-16.
std::u16string utf16Name(std::string_view name);

// `name` with every UTF-16 unit in upper case, so that two names FAT tells apart differ here.
std::u16string caseBlindName(std::u16string_view name);

}  // namespace ib::tools::fat
