// Where the program puts files it only needs for a moment (the converted
// power-on bitmap), and where the benchmarks and tests make scratch folders;
// the folder of a process's runs on several recorders, and the removal of
// those a killed process left.
#pragma once

#include <filesystem>
#include <system_error>

namespace ib::app {

// TMPDIR when it is set and not empty, else the system's temporary folder.
// An empty path with `error` set when the system names none that exists.
std::filesystem::path temporaryFolder(std::error_code& error);
// The same; throws std::filesystem::filesystem_error when there is none.
std::filesystem::path temporaryFolder();

// The folder in `parent` for this process's runs on several recorders, each
// packing its folder images in a numbered folder inside it:
// "imageburner-runs-<pid>".
std::filesystem::path runsFolder(const std::filesystem::path& parent);
// Removes the runs folders in `parent` whose process no longer runs: a run
// that was killed leaves one with an image per recorder. The folders of
// running processes, and every other name, stay.
void removeStaleRunsFolders(const std::filesystem::path& parent);

}  // namespace ib::app
