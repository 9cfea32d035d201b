// Converts a RAW partition's bitmap into the form the recorder shows at power-on:
// rows stored top row first and 16-bit pixels turned from 5-5-5 into 5-6-5. The
// result goes to "qubpoweron.bmp" in the temporary folder and replaces the content file.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace ib {

inline constexpr std::string_view kDeviceBitmapName = "qubpoweron.bmp";

// True when the name's last four characters are ".bmp" in any letter case.
bool isBitmapName(std::string_view fileName);

// Writes temporaryFolder/qubpoweron.bmp from `source` and returns its path.
// No path when the source does not open, is not a bitmap whose
// headers and rows lie inside the file (info header of 12 to 44 bytes, bit count
// 1, 4, 8, 16, 24 or 32, positive width, a row no longer than the file), or the
// output cannot be written; a failed output is removed.
std::optional<std::filesystem::path> prepareBitmap(const std::filesystem::path& source,
                                                   const std::filesystem::path& temporaryFolder);

}  // namespace ib
