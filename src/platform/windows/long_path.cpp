// The "\\?\" form of long paths. See long_path.h.
#include "platform/windows/long_path.h"

#include <algorithm>

namespace ib::platform {
namespace {

constexpr std::size_t kShortestLongPath = 260 - 12;  // MAX_PATH less room for an 8.3 name in a folder

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool hasDriveRoot(std::wstring_view path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && isSeparator(path[2]);
}

bool isUnc(std::wstring_view path) { return path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]); }

bool isPrefixed(std::wstring_view path) {
    return path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
           isSeparator(path[3]);
}

}  // namespace

std::wstring extendedLengthPath(std::wstring_view path) {
    if (path.size() < kShortestLongPath || isPrefixed(path) || !(hasDriveRoot(path) || isUnc(path)))
        return std::wstring(path);
    std::wstring full = hasDriveRoot(path) ? L"\\\\?\\" + std::wstring(path) : L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    std::replace(full.begin(), full.end(), L'/', L'\\');
    return full;
}

}  // namespace ib::platform
