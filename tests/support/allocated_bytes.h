// The disk space a file takes, for tests of sparse files.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ib::test {

std::uint64_t allocatedBytes(const std::filesystem::path& file);

}  // namespace ib::test
