// The raw write to the serial flash. See raw_write.h.
#include "bootarea/raw_write.h"

#include <algorithm>
#include <vector>

#include "device/input_file.h"
#include "device/sector.h"
#include "operation/path_choosers.h"
#include "operation/preflight.h"
#include "operation/recorder_opening.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"
#include "preparation/updater_download.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr std::size_t kPieceBytes = 4096;

// The snapshot as the raw write sees it: the serial flash, whatever the storage box shows.
OperationSettings onSerialFlash(const OperationSettings& settings) {
    OperationSettings flash = settings;
    flash.storage = StorageType::SerialFlash;
    flash.moviNandLayout = false;
    return flash;
}

constexpr const char* kRawImageNamedIn = "the raw image field";

// The status verdict of a raw image that does not read, after the problem's
// message: the "Open File Error!" the open would give. Checked before the
// first command.
std::optional<std::string> unreadableRawImage(const OperationContext& ctx, const std::string& path) {
    if (path.empty()) return std::nullopt;  // nothing chosen: the open names nothing
    return failedPreflightStep(ctx, {{{{{pathFromUtf8(path), UINT64_MAX, "", kRawImageNamedIn}}, {}, {}}, "Open File Error!"}});
}

// The status verdict of a raw image that cannot be written whole: one larger
// than the flash would fail part way, so it is refused before its first sector
// is written. The flash's size comes from the recorder.
std::optional<std::string> rawImageProblem(const OperationContext& ctx, const std::string& path,
                                           std::uint32_t flashSectors) {
    if (path.empty()) return "Open File Error!";  // nothing chosen: nothing to name
    const PreflightStep fit{
        {{{pathFromUtf8(path), std::uint64_t{flashSectors} * kSectorSize, "the serial flash", kRawImageNamedIn}}, {}, {}}, "FAILED"};
    return failedPreflightStep(ctx, {fit}, SentBeforeCheck::IdentificationAndStorageSize);
}

// Copies `path` to the user area of the serial flash from sector 0.
std::uint32_t writeRawFile(const OperationContext& ctx, const std::string& path) {
    std::uint32_t areaSectors = 0;
    if (!ctx.cmd.SelectStorage(storageCode(ctx.settings.storage.value()), kUserArea, areaSectors)) {
        ctx.report.showStepMessage("Select Storage fail ...");
        return 0;
    }
    if (const auto verdict = rawImageProblem(ctx, path, areaSectors)) {
        ctx.report.setProgress(*verdict, 100, kRed, kWhite);
        return 0;
    }
    auto opened = openInputFile(pathFromUtf8(path));
    if (!opened) {
        ctx.report.setProgress("Open File Error!", 100, kRed, kWhite);
        return 0;
    }
    std::ifstream& file = opened->stream;
    const std::uint64_t fileLength = opened->length;
    const std::uint64_t expected = fileLength / kSectorSize;
    ctx.report.setProgressTextColour(kBlack);
    ctx.report.enableOperationButtons(false);

    std::vector<std::uint8_t> buffer(kPieceBytes);
    std::uint64_t address = 0;
    bool failed = false;
    for (std::size_t n = kPieceBytes; n == kPieceBytes;) {
        file.read(reinterpret_cast<char*>(buffer.data()), kPieceBytes);
        n = static_cast<std::size_t>(file.gcount());
        if (n == 0) break;
        const auto sectors = static_cast<std::uint32_t>(sectorsFor(n));
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(n), buffer.begin() + sectors * kSectorSize,
                  std::uint8_t{0xFF});
        // The flash's size is a 32-bit sector count: it refuses a write long before the address could wrap.
        if (!ctx.cmd.WriteSectors(static_cast<std::uint32_t>(address), sectors, buffer)) {
            failed = true;
            break;
        }
        address += sectors;
        // A file shorter than one sector has nothing to divide by: its one piece is all of it.
        const std::uint64_t percent = expected ? address * 100 / expected : 100;
        ctx.report.setProgress("Write RAW...", static_cast<int>(std::min<std::uint64_t>(percent, 1000)), kBlue,
                               kGrey);
        ctx.report.transferProgress(std::min<std::uint64_t>(address * kSectorSize, fileLength), fileLength);
    }
    // Any failed write fails the run, also one in the last, partial piece.
    if (failed || address < expected)
        ctx.report.setProgress("FAILED", 100, kRed, kWhite);
    else
        ctx.report.setProgress("SUCCESS", 100, kGreen, kWhite);
    ctx.report.enableOperationButtons(true);
    return failed || address < expected ? 0 : 1;
}

}  // namespace

std::uint32_t rawWrite(const OperationContext& ctx) {
    std::string path = ctx.settings.rawPath;
    if (path.empty()) path = browseForPath(ctx, RememberedPath::RawFile).value_or("");
    if (const auto verdict = unreadableRawImage(ctx, path)) {
        ctx.report.setProgress(*verdict, 100, kRed, kWhite);
        return 0;
    }
    if (!openRecorder(ctx, {})) return 0;
    ctx.services.clock.sleepMs(2000);
    if (ctx.cmd.GetMode() == kModeBootRom) {
        ctx.report.setProgress(text::kDownloadAgent, 100, kBlue, kBlack);
        if (!DownloadUpdater(ctx, 100)) {
            reportUpdaterFailure(ctx);
            return 0;
        }
    }
    const OperationSettings flash = onSerialFlash(ctx.settings);
    return writeRawFile(ctx.withSettings(flash), path);
}

}  // namespace ib
