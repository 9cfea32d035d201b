// Allocated bytes from stat's block count. See allocated_bytes.h.
#include <sys/stat.h>

#include "support/allocated_bytes.h"

namespace ib::test {

std::uint64_t allocatedBytes(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return UINT64_MAX;
    return static_cast<std::uint64_t>(st.st_blocks) * 512;
}

}  // namespace ib::test
