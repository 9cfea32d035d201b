// Loading the updater into a recorder that still runs its boot ROM, and the
// "Sync. Device" operation built on it. See updater_download.h.
#include "preparation/updater_download.h"

#include <algorithm>
#include <vector>

#include "device/image_header.h"
#include "device/input_file.h"
#include "device/sector.h"
#include "operation/preflight.h"
#include "operation/recorder_opening.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr std::int64_t kReopenPauseMs = 500;
// The pieces in which the updater is read and sent: one download command each.
constexpr std::uint32_t kDownloadPieceSectors = 64;
// The recorder runs the updater from its 16 MiB of memory; a larger file cannot be its updater.
constexpr std::uint64_t kLargestUpdaterBytes = 16 * 1024 * 1024 + kImageHeaderSize;

FileChooserRequest updaterChooser() {
    FileChooserRequest r;
    r.filter = "binary File (*.bin)|*.bin|All File(*.*)|*.*||";
    r.defaultExtension = "bin";
    r.allowMultiSelect = true;
    r.pathMustExist = true;
    return r;
}

// "updater.bin" of the working folder or, when that does not open, the file
// the user picks; one that is too large to be an updater is named and refused
// before anything is sent.
std::optional<InputFile> openUpdater(const std::filesystem::path& workingDirectory, OperationReporter& report) {
    std::filesystem::path path = workingDirectory / "updater.bin";
    auto file = openInputFile(path);
    if (!file) {
        const auto chosen = report.chooseFile(updaterChooser());
        if (!chosen) return std::nullopt;
        path = pathFromUtf8(*chosen);
        file = openInputFile(path);
    }
    if (!file) return std::nullopt;
    const PreflightPlan plan{{{path, kLargestUpdaterBytes, "the recorder's memory"}}, {}, {}};
    // Whether the updater is needed at all is known only once the recorder has said it runs its boot ROM.
    if (const auto problem = findPreflightProblem(plan, roomForFilesIn, SentBeforeCheck::Identification)) {
        report.messageBox(*problem);
        return std::nullopt;
    }
    return file;
}

// Sends the image after the header in pieces of 64 sectors, each read just
// before it goes out, so memory never depends on the file's length. The last
// sector's bytes past the image are 0. false for an empty image (the boot ROM
// would have nothing to start), a short read or a refused command.
bool downloadImage(InputFile& file, GeneralStorageCmd& cmd, OperationReporter& report) {
    const bool header = HasImageHeader(file.stream);
    file.stream.seekg(header ? kImageHeaderSize : 0);
    const std::uint64_t length = imageLength(file.length, header);
    if (length == 0) return false;
    std::vector<std::uint8_t> piece(kDownloadPieceSectors * kSectorSize);
    for (std::uint64_t sent = 0; sent < length;) {
        const auto bytes = static_cast<std::size_t>(std::min<std::uint64_t>(length - sent, piece.size()));
        file.stream.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(bytes));
        if (static_cast<std::size_t>(file.stream.gcount()) < bytes) return false;
        std::fill(piece.begin() + static_cast<std::ptrdiff_t>(bytes), piece.end(), std::uint8_t{0});
        const auto sectors = static_cast<std::uint32_t>(sectorsFor(bytes));
        if (!cmd.Download(sectors, std::span(piece).first(sectors * kSectorSize))) return false;
        sent += bytes;
        report.transferProgress(sent, length);
    }
    return true;
}

}  // namespace

std::uint32_t DownloadUpdater(const OperationContext& ctx, int retries) {
    GeneralStorageCmd& cmd = ctx.cmd;
    auto file = openUpdater(ctx.settings.workingDirectory, ctx.report);
    if (!file || !downloadImage(*file, cmd, ctx.report)) return 0;
    file->stream.close();
    const bool started = cmd.StartDownloaded() != 0;
    cmd.Close();
    // A recorder that restarts at once can leave the bus before the start
    // command's call returns, and the call then fails although the updater
    // runs (Linux reports the detaching disk). Only a recorder that still
    // answers from its boot ROM has really refused to start.
    if (!started && cmd.Open() && cmd.GetMode() == kModeBootRom) return 0;
    ctx.report.setProgress(text::kWaitForRecorder, 100, kGrey, kBlack);

    // Synced means answering from the updater: a boot ROM that has not left
    // the bus yet is waited for like an absent recorder, and one that never
    // comes back is a failure, so callers never go on without the updater.
    // A stop request ends the wait: every attempt after it is refused at once,
    // without a pause, and the refusal marks the operation as stopped.
    for (int attempt = 0; attempt < retries; ++attempt) {
        if (cmd.Open() && cmd.GetMode() == kModeUpdater) return 1;
        if (!ctx.services.stop.requested()) ctx.services.clock.sleepMs(kReopenPauseMs);
    }
    return 0;
}

void reportUpdaterFailure(const OperationContext& ctx) {
    if (!ctx.services.stop.requested()) ctx.report.messageBox("Error 0x03: Download updater.bin error !");
    ctx.report.refreshDevicePresence();
}

bool syncIfInBootRom(const OperationContext& ctx) {
    if (ctx.cmd.GetMode() != kModeBootRom) return true;
    ctx.report.showStepMessage("download the updater.bin .....");
    if (DownloadUpdater(ctx, 100)) return true;
    reportUpdaterFailure(ctx);
    return false;
}

std::uint32_t SyncDevice(const OperationContext& ctx) {
    ctx.report.enableOperationButtons(false);
    if (!openRecorder(ctx, {}) || !syncIfInBootRom(ctx)) return 0;
    ctx.report.showStepMessage("Device Sync. success !!");
    ctx.report.enableOperationButtons(true);
    return 1;
}

}  // namespace ib
