// Where the program puts files it only needs for a moment (the converted
// power-on bitmap), and where the benchmarks and tests make scratch folders.
#pragma once

#include <filesystem>
#include <system_error>

namespace ib::app {

// TMPDIR when it is set and not empty, else the system's temporary folder.
// An empty path with `error` set when the system names none that exists.
std::filesystem::path temporaryFolder(std::error_code& error);
// The same; throws std::filesystem::filesystem_error when there is none.
std::filesystem::path temporaryFolder();

}  // namespace ib::app
