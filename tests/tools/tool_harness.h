// Runs the built helper tools and the system's FAT and checksum utilities as child
// processes for the tool tests, in scratch folders that vanish with each test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_folder.h"

namespace ib::tools::test {

struct ProcessResult {
    int exitStatus = -1;  // -1: not started or ended by a signal
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up along PATH when it has no slash) in `workingDirectory`, or in
// the current one when that is empty, and collects what it prints.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDirectory = {});

// Path of a built tool, "TreeBaler" or "mergeimg".
std::filesystem::path builtTool(std::string_view name);

// Lets the tests find fsck.fat in /usr/sbin and read FAT images with mtools.
void prepareEnvironmentForFatUtilities();

using TempFolder = ib::test::TempFolder;

void writeFile(const std::filesystem::path& file, std::string_view bytes);
std::string readFile(const std::filesystem::path& file);
// `size` bytes that differ from position to position, so that a shifted copy shows.
std::string patternBytes(std::size_t size, unsigned seed);

}  // namespace ib::tools::test
