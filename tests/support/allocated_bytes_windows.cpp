// Allocated bytes of a (possibly sparse) file on Windows. See allocated_bytes.h.
#include <windows.h>

#include "support/allocated_bytes.h"

namespace ib::test {

std::uint64_t allocatedBytes(const std::filesystem::path& file) {
    DWORD high = 0;
    const DWORD low = ::GetCompressedFileSizeW(file.c_str(), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return UINT64_MAX;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace ib::test
