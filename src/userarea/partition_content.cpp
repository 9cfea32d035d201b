// A partition's content: a FAT image packed from a folder, a raw file, or a
// bitmap converted for the recorder, copied in 64 KiB pieces to the device or
// into an SD image file. See partition_content.h.
#include "userarea/partition_content.h"

#include <algorithm>
#include <vector>

#include "device/input_file.h"
#include "device/sector.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"
#include "seams/replacement_file.h"
#include "userarea/bitmap_conversion.h"
#include "userarea/content_fit.h"
#include "userarea/partition_plan_reader.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr std::uint32_t kChunkBytes = 65536;

// Copies one content file to the sink from `startSector` on.
bool copyContentFile(const OperationContext& ctx, const std::filesystem::path& path, const PartitionRecord& record,
                     std::uint32_t startSector, SectorSink& sink);

}  // namespace

std::uint32_t packFolderImage(const OperationContext& ctx, const std::filesystem::path& imagePath,
                              std::uint32_t sizeSectors, const std::filesystem::path& folderPath) {
    // An argument vector, never a command line: names from the configuration
    // may hold quotes or shell characters.
    const std::vector<std::string> arguments = {
        "-file", utf8FromPath(imagePath), "-folder", utf8FromPath(folderPath), "-size",
        std::to_string(static_cast<std::int32_t>(sizeSectors))};
    const OperationServices& services = ctx.services;
    // What an earlier run's killed tool left goes first; what this run's leaves, at its end.
    removeStaleTemporaries(imagePath);
    const NewTemporaries unfinished(imagePath);
    const int status =
        services.processes.run(services.locateTool("TreeBaler"), arguments, ctx.settings.workingDirectory);
    if (status != 0) unfinished.removeNew();
    return status == 0 ? 1 : 0;
}

std::filesystem::path packedImagePath(const OperationContext& ctx, const PartitionRecord& record) {
    const std::filesystem::path named = workingDirectoryPath(ctx.settings.workingDirectory, record.fileName);
    if (ctx.services.packingFolder.empty()) return named;
    return ctx.services.packingFolder / named.filename();
}

bool writePartitionContent(const OperationContext& ctx, const PartitionRecord& record, std::uint32_t startSector,
                           SectorSink& sink) {
    if (record.kind == PartitionKind::NoContent) return true;
    std::filesystem::path content = workingDirectoryPath(ctx.settings.workingDirectory, record.fileName);
    if (record.kind == PartitionKind::Fat && !record.dirPath.empty()) {
        const auto folder = workingDirectoryPath(ctx.settings.workingDirectory, record.dirPath);
        content = packedImagePath(ctx, record);
        if (!packFolderImage(ctx, content, record.sizeSectors, folder)) {
            ctx.report.messageBox("Error : Download image to file failed " + utf8FromPath(content) + " \n");
            return false;
        }
    }
    PreparedBitmap bitmap;  // holds the converted file until it is copied
    if (record.kind == PartitionKind::Raw && isBitmapName(record.fileName)) {
        bitmap = prepareBitmap(content, ctx.services.temporaryDirectory);
        if (bitmap.outcome == BitmapOutcome::SourceMissing) return true;  // skipped like any content that does not open
        if (bitmap.outcome == BitmapOutcome::Failed) {
            // The old logo would stay on the recorder: never report that as written.
            ctx.report.messageBox("Error : cannot convert bitmap " + utf8FromPath(content) + ": " + bitmap.problem);
            return false;
        }
        content = bitmap.output;
    }
    return copyContentFile(ctx, content, record, startSector, sink);
}

namespace {

bool copyContentFile(const OperationContext& ctx, const std::filesystem::path& path, const PartitionRecord& record,
                     std::uint32_t startSector, SectorSink& sink) {
    auto file = openInputFile(path);
    if (!file) return true;  // a file that does not open is skipped
    const std::uint64_t length = file->length;
    // Cut at the partition's end the content would be broken, so it is refused whole
    // (the plan check refused named files already; this catches files made while writing).
    if (!contentFits(length, record.sizeSectors)) {
        ctx.report.showStepMessage(contentTooLongMessage(path, length, record.sizeSectors));
        return false;
    }
    const char* text = record.kind == PartitionKind::Fat ? text::kUserSettings1 : text::kUserSettings2;

    std::vector<std::uint8_t> buffer(kChunkBytes);
    std::uint64_t sector = startSector;
    for (std::uint64_t written = 0; written < length;) {
        const auto chunk = static_cast<std::uint32_t>(std::min<std::uint64_t>(length - written, kChunkBytes));
        file->stream.read(reinterpret_cast<char*>(buffer.data()), chunk);
        // A file that turns out shorter than its length: the rest is skipped.
        if (static_cast<std::uint32_t>(file->stream.gcount()) < chunk) return true;
        const auto sectors = static_cast<std::uint32_t>(sectorsFor(chunk));
        // The last sector's bytes past the file's end are 0xFF, as between partitions.
        std::fill(buffer.begin() + chunk, buffer.begin() + sectors * kSectorSize, std::uint8_t{0xFF});
        const auto progress = [&] {
            ctx.report.setProgress(text, static_cast<int>(written * 100 / length), kBlue, kWhite);
        };
        if (!sink.write(sector, std::span(buffer).first(sectors * kSectorSize), progress)) {
            // Content that did not reach the recorder or the file must not end in success.
            sink.reportFailedWrite(ctx.report);
            return false;
        }
        written += chunk;
        sector += sectors;
        ctx.report.transferProgress(written, length);
    }
    return true;
}

}  // namespace

}  // namespace ib
