// Bitmap preparation on arbitrary file bytes: the RAW partition's bitmap is
// converted into the recorder's form, or refused with a reason; a refused
// bitmap leaves no output behind.
#include <cstdint>
#include <filesystem>

#include "fuzz_support.h"
#include "userarea/bitmap_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = ib::fuzz::writeScratchFile("poweron.bmp", {data, size});
    const auto output = ib::fuzz::scratchFolder() / "converted";
    std::filesystem::create_directories(output);
    const ib::PreparedBitmap prepared = ib::prepareBitmap(source, output);
    const bool written = std::filesystem::exists(output / ib::kDeviceBitmapName);
    switch (prepared.outcome) {
    case ib::BitmapOutcome::Written:
        ib::fuzz::require(written && prepared.output == output / ib::kDeviceBitmapName,
                          "a converted bitmap is in the output");
        std::filesystem::remove(prepared.output);
        break;
    case ib::BitmapOutcome::Failed:
        ib::fuzz::require(!written && !prepared.problem.empty(), "a refused bitmap says why and leaves no output");
        break;
    case ib::BitmapOutcome::SourceMissing:
        ib::fuzz::fail("a written source is found");
    }
    return 0;
}
