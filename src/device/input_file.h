// Opening the files an operation reads: the updater, firmware members,
// partition contents and raw images. Only a regular file, or a symbolic link
// to one, is opened; anything else counts as a file that does not open.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>

namespace ib {

struct InputFile {
    std::ifstream stream;  // binary, positioned at the start
    std::uint64_t length = 0;
};

// The file opened for reading with its length, or nullopt when it is missing,
// does not open, or is not a regular file: a named pipe would block the
// operation until some writer appears, and a folder or a device node has no
// length to take.
[[nodiscard]] std::optional<InputFile> openInputFile(const std::filesystem::path& path);

}  // namespace ib
