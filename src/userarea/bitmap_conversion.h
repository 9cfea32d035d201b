// Converts a RAW partition's bitmap into the form the recorder shows at power-on:
// rows stored top row first and 16-bit pixels in 5-6-5. The result goes to
// "qubpoweron.bmp" in a folder of the run's own inside the temporary folder
// and replaces the content file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "seams/private_temporary_folder.h"

namespace ib {

inline constexpr std::string_view kDeviceBitmapName = "qubpoweron.bmp";

// True when the name's last four characters are ".bmp" in any letter case.
bool isBitmapName(std::string_view fileName);

enum class BitmapOutcome {
    Written,        // the device bitmap is in `output`
    SourceMissing,  // the source does not open (or is no regular file): the content is skipped
    Failed,         // the source cannot be converted or the output not written; `problem` says why
};

struct PreparedBitmap {
    BitmapOutcome outcome = BitmapOutcome::Failed;
    std::filesystem::path output;
    std::string problem;
    // Holds `output`; the folder and the file go when the prepared bitmap does.
    std::optional<PrivateTemporaryFolder> folder;
};

// Writes qubpoweron.bmp from `source`, in a folder made for it inside
// `temporaryFolder`: the shared temporary folder may hold a file or link of
// that name that another user left, which is never written through. The recorder shows only
// 16-bit pixels, so only a 16-bit bottom-up bitmap converts: uncompressed
// (5-5-5), or with bit-field masks of 5-6-5 (kept) or 5-5-5 (converted), with
// an info header of 12 to 44 bytes or one of the longer ones (52, 56, 108, 124)
// and every row inside the file. A failed output is removed.
[[nodiscard]] PreparedBitmap prepareBitmap(const std::filesystem::path& source,
                                           const std::filesystem::path& temporaryFolder);

}  // namespace ib
