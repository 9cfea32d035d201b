// Input files. See input_file.h.
#include "device/input_file.h"

namespace ib {

std::optional<InputFile> openInputFile(const std::filesystem::path& path) {
    std::error_code error;
    // Checked before opening: opening a named pipe for reading already blocks.
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    InputFile file;
    file.stream.open(path, std::ios::binary);
    if (!file.stream) return std::nullopt;
    file.stream.seekg(0, std::ios::end);
    const std::streamoff end = file.stream.tellg();
    if (end < 0) return std::nullopt;
    file.length = static_cast<std::uint64_t>(end);
    file.stream.seekg(0);
    return file;
}

}  // namespace ib
