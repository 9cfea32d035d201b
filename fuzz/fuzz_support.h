// What the fuzz targets share: a scratch folder for the run and the input
// written into a file there, for the code under test that reads files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace ib::fuzz {

// A folder of this process's own, made on first use and removed at exit.
const std::filesystem::path& scratchFolder();

// Replaces the file at `path` with `bytes`.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// Replaces `name` in the scratch folder with `bytes`; returns its path.
std::filesystem::path writeScratchFile(std::string_view name, std::span<const std::uint8_t> bytes);

// A broken promise of the code under test: says which, then aborts, so the
// fuzzer keeps the input as a crash.
[[noreturn]] void fail(const char* broken);
inline void require(bool holds, const char* promise) {
    if (!holds) fail(promise);
}

// The fuzzer's input as text.
inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace ib::fuzz
