// The upper case of one UTF-16 unit as FAT readers fold names to compare them: the simple
// upper-case mapping of Unicode over the Basic Multilingual Plane, unit by unit, so the
// two halves of a surrogate pair stay as they are.
#pragma once

namespace ib::tools::fat {

// `unit` in upper case; a unit without an upper-case form (a capital, a digit, a
// surrogate half) as it is.
char16_t upperCase(char16_t unit);

}  // namespace ib::tools::fat
