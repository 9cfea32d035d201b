// The serial-flash layout of a firmware set. See serial_flash_layout.h.
#include "bootarea/serial_flash_layout.h"

#include "bootarea/firmware_image_write.h"
#include "operation/status_colours.h"

namespace ib {

SerialFlashLayout serialFlashLayout(std::span<const FirmwareMember> members, std::uint32_t indexTableSector) {
    const std::size_t n = members.size();
    SerialFlashLayout layout;
    layout.hasBootCode = n == 1 || n == 3;
    layout.bootCodeOnly = n == 1;
    layout.bootCodeReachesTable = n == 3 && members[0].imageSectors() > indexTableSector;
    if (n < 2) return layout;
    layout.entryMembers = {n - 2, n - 1};
    const std::uint32_t bootloaderStart = indexTableSector + 1;
    layout.entryStarts = {bootloaderStart, bootloaderStart + members[n - 2].imageSectors()};
    return layout;
}

void setSerialFlashEntries(IndexTableSector& table, const SerialFlashLayout& layout,
                           std::span<const FirmwareMember> members, bool moviNand) {
    const std::uint32_t attributes = moviNand ? kFirmwareAttributes : kFirmwareAttributes | kNotMoviNandAttributeBit;
    for (std::size_t e = 0; e < 2; ++e)
        table.setEntry(e, layout.entryStarts[e], members[layout.entryMembers[e]].imageSectors(), attributes);
}

const FirmwareMember* writeEntryImages(const OperationContext& ctx, SectorSink& sink, const SerialFlashLayout& layout,
                                       std::span<FirmwareMember> members, std::vector<std::uint8_t>& buffer,
                                       bool recordDigests) {
    FirmwareMember* images[2] = {&members[layout.entryMembers[0]], &members[layout.entryMembers[1]]};
    const std::uint64_t total = images[0]->imageLength + images[1]->imageLength;
    std::uint64_t written = 0;
    for (std::size_t e = 0; e < 2; ++e) {
        const auto showPiece = [&](std::uint64_t done) {
            ctx.report.setProgressTextColour(kBlack);
            ctx.report.setProgress(images[e]->path, static_cast<int>((written + done) * 100 / total), kTiledPattern,
                                   kWhite);
        };
        if (!writeImage(ctx.report, sink, *images[e], layout.entryStarts[e], buffer, showPiece, recordDigests))
            return images[e];
        written += images[e]->imageLength;
    }
    return nullptr;
}

}  // namespace ib
