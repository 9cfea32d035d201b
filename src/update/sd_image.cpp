// Building the SD image. See sd_image.h.
#include "update/sd_image.h"

#include <array>
#include <fstream>
#include <vector>

#include "bootarea/firmware_image_write.h"
#include "bootarea/firmware_set.h"
#include "bootarea/index_table_sector.h"
#include "bootarea/serial_flash_layout.h"
#include "device/sector.h"
#include "device/text_format.h"
#include "operation/image_file_writes.h"
#include "operation/path_choosers.h"
#include "operation/preflight.h"
#include "operation/sector_sink.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"
#include "seams/new_file.h"
#include "seams/replacement_file.h"
#include "seams/system_error_text.h"
#include "seams/utf8_path.h"
#include "update/sd_image_preflight.h"
#include "userarea/user_area_image.h"

namespace ib {
namespace {

constexpr char kIntermediateName[] = "SD_RoadVTemp.bin";

// The merge tool renames its new file over the output, which would swap a
// device node, a FIFO or a folder for a plain file. A path that does not exist
// yet, or that cannot be examined, is left to the tool.
bool replaceableByImage(const std::filesystem::path& output) {
    std::error_code ec;
    const auto status = std::filesystem::status(output, ec);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

// The files the merge tool writes: the image and its checksum.
std::array<std::filesystem::path, 2> mergeToolOutputs(const std::filesystem::path& output) {
    auto checksum = output;
    checksum += ".md5";
    return {output, checksum};
}

// Makes the intermediate file anew. Its old name goes first: the merge tool
// may have made it a second name of a finished image (a run that ended before
// deleting it), which writing through it would destroy; the new one is created
// exclusively, so that nothing of that name made in between is written through
// either. What an earlier run's killed merge tool left beside the output goes too.
bool startIntermediate(const std::filesystem::path& intermediate, const std::filesystem::path& output) {
    for (const auto& file : mergeToolOutputs(output)) removeStaleTemporaries(file);
    std::error_code ec;
    std::filesystem::remove(intermediate, ec);
    return !ec && createNewFile(intermediate);
}

// The snapshot as the image sees it: written to `output`, always on the shared layout.
OperationSettings forImage(const OperationSettings& settings, const std::string& output) {
    OperationSettings image = settings;
    image.binPath = output;
    image.moviNandLayout = false;
    return image;
}

// Whether the intermediate file goes once the merge tool has made the output from it.
enum class Intermediate { Deleted, Kept };

// Runs the merge tool on the intermediate file, which makes the output and its
// checksum, and deletes the intermediate on success unless it is to be kept.
// The tool's unfinished files (it failed, or was stopped) go with it.
std::uint32_t mergeSdImage(const OperationContext& ctx, Intermediate afterwards) {
    const auto& workingDirectory = ctx.settings.workingDirectory;
    const auto intermediate = workingDirectory / kIntermediateName;
    const auto files = mergeToolOutputs(workingDirectory / pathFromUtf8(ctx.settings.binPath));
    const NewTemporaries outputs[] = {NewTemporaries(files[0]), NewTemporaries(files[1])};
    const int status = ctx.services.processes.run(ctx.services.locateTool("mergeimg"),
                                                  {kIntermediateName, ctx.settings.binPath}, workingDirectory);
    if (status != 0) {
        for (const NewTemporaries& unfinished : outputs) unfinished.removeNew();
        ctx.report.messageBox(mergeFailedMessage(intermediate));
        return 0;
    }
    std::error_code ec;
    if (afterwards == Intermediate::Deleted && (!std::filesystem::remove(intermediate, ec) || ec))
        ctx.report.showStepMessage("Could not delete " + utf8FromPath(intermediate) + ": " + systemErrorText(ec));
    return 1;
}

// The index table sector, the bootloader and firmware it lists, the user area
// and the erased bytes before the table: all of the image but the boot code.
bool writeTableAndUserArea(const OperationContext& ctx, std::fstream& image, ImageFileSink& file,
                           const SerialFlashLayout& layout, std::vector<FirmwareMember>& members,
                           std::vector<std::uint8_t>& buffer) {
    const std::uint64_t tableOffset = std::uint64_t{ctx.settings.indexTableSector} * kSectorSize;
    const std::uint64_t bootCodeEnd = members[0].imageLength;
    IndexTableSector sector = IndexTableSector::filledWith(0xFF);
    setSerialFlashEntries(sector, layout, members, false);
    if (const FirmwareMember* failed = writeEntryImages(ctx, file, layout, members, buffer, false)) {
        ctx.report.messageBox("Error : cannot write " + failed->path + " into the image");
        return false;
    }
    sector.stampMagic();
    if (!writeAt(image, tableOffset, sector.bytes()) || !writeUserAreaImage(ctx, sector, image)) {
        ctx.report.messageBoxThenPresence("Error 0x0a: configure user area error !");
        return false;
    }
    // Erased-flash bytes between the boot code and the index table sector.
    if (fillWithFF(image, bootCodeEnd, tableOffset)) return true;
    ctx.report.messageBox("Error : cannot write the image file (disk full?)");
    return false;
}

// The SD image's steps that need the intermediate file open. The boot code
// alone has no index table and no user area: the intermediate file keeps it,
// and the merge tool gives the output the same bytes, with their checksum.
std::uint32_t buildSdImage(const OperationContext& ctx, std::fstream& image) {
    const std::uint32_t n = ctx.settings.firmwareCount();
    const std::uint32_t tableSector = ctx.settings.indexTableSector;
    auto set = loadFirmwareSet(ctx, n, BurnKind::SerialFlash, std::nullopt);
    if (!set) return 0;
    auto& members = set->members;
    const SerialFlashLayout layout = serialFlashLayout(members, tableSector);
    if (layout.bootCodeReachesTable) {
        ctx.report.messageBox(formatText("Error : boot code (%llu bytes) runs into the index table sector %u !",
                                         static_cast<unsigned long long>(members[0].imageLength), tableSector));
        return 0;
    }
    ImageFileSink file(image);
    std::vector<std::uint8_t> buffer(kImagePieceBytes);
    if (layout.hasBootCode && !writeImage(ctx.report, file, members[0], 0, buffer, {}, false)) return 0;
    if (!layout.bootCodeOnly && !writeTableAndUserArea(ctx, image, file, layout, members, buffer)) return 0;
    image.close();
    if (image.fail()) {
        ctx.report.messageBox("Error : cannot write the image file (disk full?)");
        return 0;
    }
    return mergeSdImage(ctx, layout.bootCodeOnly ? Intermediate::Kept : Intermediate::Deleted);
}

// Removes the intermediate file of a run that wrote nothing into it: a refused
// run leaves no file behind.
void removeIfEmpty(const std::filesystem::path& intermediate) {
    std::error_code ec;
    if (std::filesystem::file_size(intermediate, ec) == 0 && !ec) std::filesystem::remove(intermediate, ec);
}

}  // namespace

std::uint32_t createSdImage(const OperationContext& ctx) {
    std::string output = ctx.settings.binPath;
    if (output.empty()) output = browseForPath(ctx, RememberedPath::SdImage).value_or("");
    if (output.empty()) {
        ctx.report.messageBox("Error : Lost Bin File\n");
        return 0;
    }
    const auto& workingDirectory = ctx.settings.workingDirectory;
    // Relative to the working folder, where the merge tool runs.
    if (const auto path = workingDirectory / pathFromUtf8(output); !replaceableByImage(path)) {
        ctx.report.messageBox("Error : " + utf8FromPath(path) +
                              " exists and is not a regular file: choose another SD image file !");
        return 0;
    }
    const auto intermediate = workingDirectory / kIntermediateName;
    std::fstream image;
    if (startIntermediate(intermediate, workingDirectory / pathFromUtf8(output)))
        image.open(intermediate, std::ios::in | std::ios::out | std::ios::binary);
    const auto closeUnlessWritten = [&] {
        image.close();
        removeIfEmpty(intermediate);
    };
    if (!image) {
        closeUnlessWritten();
        ctx.report.messageBox("Cannot Open SD_RoadV.bin", MessageBoxKind::Application);
        return 0;
    }
    const std::uint32_t n = ctx.settings.firmwareCount();
    if (n == 0 || n > 10) {
        closeUnlessWritten();
        ctx.report.messageBoxThenPresence("Error 0x14: firmware number error !");
        return 0;
    }
    const OperationSettings settings = forImage(ctx.settings, output);
    const OperationContext imageCtx = ctx.withSettings(settings);
    std::uint32_t result = 0;
    // Everything the PC can check is checked before the image is written.
    if (const auto stepError = failedPreflightStep(imageCtx, sdImagePreflight(imageCtx, n, intermediate))) {
        if (!stepError->empty()) ctx.report.messageBox(*stepError);
    } else {
        result = buildSdImage(imageCtx, image);
    }
    if (!result) closeUnlessWritten();
    // The final status tells how the run ended: a failed run is not shown as a success.
    ctx.report.setProgressTextColour(kBlack);
    if (result)
        ctx.report.setProgress(text::kProcessSucceeded, 100, kGreen, kBlack);
    else
        ctx.report.setProgress(text::kProcessFailed, 100, kRed, kBlack);
    return result;
}

}  // namespace ib
