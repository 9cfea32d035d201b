// Reading a range of an area back into a file. See area_read_back.h.
#include "bootarea/area_read_back.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <vector>

#include "device/sector.h"
#include "device/text_format.h"
#include "operation/preflight.h"
#include "operation/recorder_opening.h"
#include "seams/replacement_file.h"
#include "seams/utf8_path.h"

namespace ib {

std::uint32_t readBackArea(const OperationContext& ctx, StorageArea area) {
    const bool boot = area == kBootArea;
    const ReadBackRange range = boot ? ctx.settings.bootRead : ctx.settings.userRead;
    const std::uint32_t first = range.first;
    std::uint32_t count = range.count;
    const auto output = ctx.settings.workingDirectory / (boot ? "BootArea.bin" : "UserArea.bin");

    if (!openRecorder(ctx, {.reenableButtonsOnUiError = false, .uiErrorText = "UI parameter error !"})) return 0;
    if (ctx.cmd.GetMode() == kModeBootRom) {
        ctx.report.messageBoxThenPresence("Error 0x03: Please Sync Device first !");
        return 0;
    }
    ctx.report.showStepMessage("Start to read back sector .....");
    std::uint32_t areaSectors = 0;
    if (!ctx.cmd.SelectStorage(storageCode(ctx.settings.storage.value()), area, areaSectors)) {
        ctx.report.messageBoxThenPresence("Error 0x09: switch boot partition error !");
        return 0;
    }
    if (first > areaSectors) {
        ctx.report.messageBox(
            formatText("Error : sector %u lies beyond the end of the area (%u sectors) !", first, areaSectors));
        reselectUserArea(ctx);
        return 0;
    }
    // Computed in 64 bits: first + count may pass the 32-bit range.
    if (std::uint64_t{first} + count > areaSectors) {
        count = areaSectors - first;
        ctx.report.shortenReadBack(area, count);
    }
    // The file is filled in full: a folder without room would stop the copy part way.
    // A problem is named first; the failed open's own message follows.
    const PreflightStep outputStep{{{}, {{output, std::uint64_t{count} * kSectorSize}}, {}}, ""};
    // The earlier file stays whole until the new one is: a failed or killed read leaves it.
    std::optional<ReplacementFile> replacement;
    if (!failedPreflightStep(ctx, {outputStep}, SentBeforeCheck::IdentificationAndStorageSize)) replacement.emplace(output);
    if (!replacement || !replacement->stream()) {
        ctx.report.messageBox("open test.bin fail !");
        reselectUserArea(ctx);
        ctx.report.refreshDevicePresence();
        return 0;
    }
    std::vector<std::uint8_t> buffer(kMaxTransferBytes);
    std::ostream& file = replacement->stream();
    std::uint32_t address = first;
    for (std::uint32_t remaining = count; remaining > 0;) {
        const std::uint32_t n = std::min(remaining, kMaxReadSectors);
        const bool read = ctx.cmd.ReadSectors(address, n, buffer) != 0;
        if (read) file.write(reinterpret_cast<const char*>(buffer.data()), n * kSectorSize);
        if (!read || !file) {
            reselectUserArea(ctx);
            ctx.report.showStepMessage(
                formatText("FAILED, read stopped at sector %u after %u sectors", address, address - first));
            return 0;
        }
        address += n;
        remaining -= n;
        ctx.report.transferProgress(std::uint64_t{address - first} * kSectorSize, std::uint64_t{count} * kSectorSize);
    }
    if (!replacement->commit()) {
        reselectUserArea(ctx);
        ctx.report.showStepMessage("FAILED, cannot replace " + output.string());
        return 0;
    }
    reselectUserArea(ctx);
    ctx.report.showStepMessage("OK, Read to " + utf8FromPath(output));
    return 1;
}

}  // namespace ib
