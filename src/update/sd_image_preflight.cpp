// The SD image's pre-flight. See sd_image_preflight.h.
#include "update/sd_image_preflight.h"

#include <algorithm>

#include "bootarea/firmware_set.h"
#include "bootarea/serial_flash_layout.h"
#include "device/image_header.h"
#include "device/input_file.h"
#include "device/sector.h"
#include "userarea/user_area_preflight.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

// The named members with their image lengths; a member still to be chosen, or
// one that does not open, counts as empty (the build names it itself).
std::vector<FirmwareMember> measuredMembers(const OperationContext& ctx, std::uint32_t n) {
    std::vector<FirmwareMember> members(n);
    const auto named = namedFirmwarePaths(ctx, n, BurnKind::SerialFlash);
    for (std::size_t i = 0; i < named.size(); ++i) {
        auto file = openInputFile(named[i]);
        if (!file) continue;
        members[i].imageLength = sectorsFor(imageLength(file->length, HasImageHeader(file->stream))) * kSectorSize;
    }
    return members;
}

// The length of the intermediate image as far as the files on the PC tell.
std::uint64_t plannedSdImageBytes(const OperationContext& ctx, std::uint32_t n, const PartitionPlan& plan) {
    const std::vector<FirmwareMember> members = measuredMembers(ctx, n);
    const std::uint32_t tableSector = ctx.settings.indexTableSector;
    const SerialFlashLayout layout = serialFlashLayout(members, tableSector);
    std::uint64_t end = layout.hasBootCode ? members[0].imageLength : 0;
    if (members.size() < 2) return end;
    IndexTableSector sector = IndexTableSector::filledWith(0xFF);
    setSerialFlashEntries(sector, layout, members, false);
    const std::uint64_t bootImagesEnd =
        (std::uint64_t{layout.entryStarts[1]} + members[layout.entryMembers[1]].imageSectors()) * kSectorSize;
    end = std::max(end, bootImagesEnd);
    return std::max(end, userAreaImageEnd(ctx, plan, sector));
}

}  // namespace

std::string mergeFailedMessage(const std::filesystem::path& intermediate) {
    return "Error : " + utf8FromPath(intermediate.filename()) + " Combine MD5 Failed\n";
}

std::vector<PreflightStep> sdImagePreflight(const OperationContext& ctx, std::uint32_t n,
                                            const std::filesystem::path& intermediate) {
    const PartitionPlan plan = plannedPartitions(ctx);
    const std::uint64_t imageBytes = plannedSdImageBytes(ctx, n, plan);
    // The merge tool writes the finished image while it reads the intermediate
    // one: room is needed for both at once.
    PreflightPlan images;
    images.outputs.push_back({intermediate, imageBytes});
    images.outputs.push_back({ctx.settings.workingDirectory / pathFromUtf8(ctx.settings.binPath), imageBytes});
    std::vector<PreflightStep> steps{{firmwarePreflightPlan(ctx, n, BurnKind::SerialFlash), ""},
                                     {std::move(images), ""}};
    if (n > 1) {  // the boot code alone has no user area
        constexpr const char* kUserAreaError = "Error 0x0a: configure user area error !";
        steps.push_back({userAreaContentPreflight(ctx, plan), kUserAreaError});
        steps.push_back({userAreaOutputPreflight(ctx, plan), kUserAreaError});
    }
    PreflightPlan merge;
    merge.tools.push_back({"mergeimg", ctx.services.locateTool("mergeimg")});
    steps.push_back({std::move(merge), mergeFailedMessage(intermediate)});
    return steps;
}

}  // namespace ib
