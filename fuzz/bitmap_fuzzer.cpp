// Bitmap preparation on arbitrary file bytes: the RAW partition's bitmap is
// converted into the recorder's form, or refused with a reason; a refused
// bitmap leaves no output behind, and a converted one goes with its holder.
#include <cstdint>
#include <filesystem>

#include "fuzz_support.h"
#include "userarea/bitmap_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = ib::fuzz::writeScratchFile("poweron.bmp", {data, size});
    const auto output = ib::fuzz::scratchFolder() / "converted";
    std::filesystem::create_directories(output);
    {
        const ib::PreparedBitmap prepared = ib::prepareBitmap(source, output);
        switch (prepared.outcome) {
        case ib::BitmapOutcome::Written:
            ib::fuzz::require(std::filesystem::exists(prepared.output) &&
                                  prepared.output.filename() == ib::kDeviceBitmapName &&
                                  prepared.output.parent_path().parent_path() == output,
                              "a converted bitmap is in a folder of its own in the output");
            break;
        case ib::BitmapOutcome::Failed:
            ib::fuzz::require(!prepared.problem.empty(), "a refused bitmap says why");
            break;
        case ib::BitmapOutcome::SourceMissing:
            ib::fuzz::fail("a written source is found");
        }
    }
    ib::fuzz::require(std::filesystem::is_empty(output), "nothing is left once the prepared bitmap is gone");
    return 0;
}
