// Paths longer than the old MAX_PATH limit for Windows' file functions: with
// the "\\?\" prefix a full path may run to some 32,000 characters, where the
// plain form fails at 260 (248 for a folder). Pure, so it is tested on every
// platform.
#pragma once

#include <string>
#include <string_view>

namespace ib::platform {

// A full path of MAX_PATH - 12 characters or more in its "\\?\" form
// ("\\?\UNC\server\share\..." for a network path), with '/' turned into '\',
// which the prefixed form does not translate; shorter, relative and already
// prefixed paths are returned unchanged.
std::wstring extendedLengthPath(std::wstring_view path);

}  // namespace ib::platform
