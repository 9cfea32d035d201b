// The inputs of a benchmark's full update, written into a working folder: the
// same on every platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ib::bench {

inline constexpr std::uint64_t kMiB = 1 << 20;

// Writes `bytes` bytes of a pattern (not zeros, so nothing can be skipped).
void writePatternFile(const std::filesystem::path& path, std::uint64_t bytes, unsigned seed);
void writeText(const std::filesystem::path& path, const std::string& text);
// The inputs of a full update in a working folder: updater.bin, a firmware set of
// three members (boot code, bootloader, firmware) and one RAW user partition.
void writeUpdateInputs(const std::filesystem::path& work, std::uint64_t firmwareMiB, std::uint64_t partitionMiB);

}  // namespace ib::bench
