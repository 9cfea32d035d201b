// Burning the firmware set into the boot area. See boot_area_burn.h.
#include "bootarea/boot_area_burn.h"

#include <algorithm>
#include <vector>

#include "bootarea/firmware_image_write.h"
#include "bootarea/firmware_set.h"
#include "bootarea/index_table_sector.h"
#include "bootarea/serial_flash_layout.h"
#include "device/sector.h"
#include "device/text_format.h"

namespace ib {
namespace {

// Reads the images written by the burn and the index table sector back from
// the selected area; false after a message naming the first difference.
bool verifyBurn(const OperationContext& ctx, std::span<const FirmwareMember> members, const IndexTableSector& table) {
    std::vector<std::uint8_t> buffer(kMaxTransferBytes);
    for (const auto& member : members) {
        const auto& digests = member.written.digests;
        for (std::size_t done = 0; done < digests.size();) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(digests.size() - done, kMaxReadSectors));
            const std::uint32_t first = member.written.firstSector + static_cast<std::uint32_t>(done);
            if (!ctx.cmd.ReadSectors(first, n, buffer)) {
                ctx.report.messageBox(
                    formatText("Error : verify could not read sectors %u to %u back !", first, first + n - 1));
                return false;
            }
            for (std::uint32_t i = 0; i < n; ++i) {
                if (sectorDigest(std::span(buffer).subspan(i * kSectorSize, kSectorSize)) != digests[done + i]) {
                    ctx.report.messageBox("Error : verify failed: " + member.path + " differs at sector " +
                                          std::to_string(first + i) + " !");
                    return false;
                }
            }
            done += n;
        }
    }
    const std::uint32_t tableSector = ctx.settings.indexTableSector;
    IndexTableSector readBack;
    if (!ctx.cmd.ReadSectors(tableSector, 1, readBack.bytes()) ||
        !std::equal(readBack.bytes().begin(), readBack.bytes().end(), table.bytes().begin())) {
        ctx.report.messageBox(formatText("Error : verify failed: the index table sector %u differs !", tableSector));
        return false;
    }
    return true;
}

// The boot area of the snapshot's storage: the area of its own on moviNAND, else the shared one.
std::uint8_t bootAreaOf(const OperationSettings& settings) {
    return settings.moviNandLayout ? kBootArea : kUserArea;
}

// The serial-flash burn after its firmware-number check, up to the final enabling of the buttons.
std::uint32_t burnSerialFlashSet(const OperationContext& ctx, std::uint32_t n, const UserAreaStep& configureUserArea) {
    const OperationSettings& settings = ctx.settings;
    const std::uint32_t tableSector = settings.indexTableSector;
    std::uint32_t areaSectors = 0;
    if (!ctx.cmd.SelectStorage(storageCode(settings.storage.value()), bootAreaOf(settings), areaSectors)) {
        ctx.report.showStepMessage("Select Storage fail ...");
        return 0;
    }
    std::vector<std::uint8_t> buffer(kImagePieceBytes);
    auto set = loadFirmwareSet(ctx, n, BurnKind::SerialFlash, areaSectors);
    if (!set) return 0;
    auto& members = set->members;
    const SerialFlashLayout layout = serialFlashLayout(members, tableSector);
    if (layout.bootCodeReachesTable) {
        ctx.report.messageBox(formatText("Error : boot code (%u sectors) runs into the index table sector %u !",
                                         members[0].imageSectors(), tableSector));
        return 0;
    }
    IndexTableSector table;
    if (!ctx.cmd.ReadSectors(tableSector, 1, table.bytes())) {
        ctx.report.messageBox("Index table read fail !");
        return 0;
    }
    DeviceSectorSink device(ctx.cmd);
    if (layout.hasBootCode && !writeImage(ctx.report, device, members[0], 0, buffer, {}, settings.verifyBurns)) {
        ctx.report.showStepMessage("Write BootCode Sector Error...");
        return 0;
    }
    // Alone the boot code is all there is: the table is read but never written back.
    if (layout.bootCodeOnly) return 1;
    ctx.services.clock.sleepMs(100);

    setSerialFlashEntries(table, layout, members, settings.moviNandLayout);
    if (writeEntryImages(ctx, device, layout, members, buffer, settings.verifyBurns)) {
        ctx.report.showStepMessage("Write Bootloader/FW Sector Error...");
        return 0;
    }
    ctx.services.clock.sleepMs(10);
    table.stampMagic();
    if (!settings.moviNandLayout) table.setStorageMarker(1);
    if (!ctx.cmd.WriteSectors(tableSector, 1, table.bytes())) {
        ctx.report.showStepMessage("Update MBR Fail...");
        return 0;
    }
    if (settings.verifyBurns && !verifyBurn(ctx, members, table)) return 0;
    if (configureUserArea && !configureUserArea()) {
        ctx.report.messageBoxThenPresence("Error 0x0a: configure user area error !");
        return 0;
    }
    return 1;
}

}  // namespace

std::uint32_t burnBlockStorage(const OperationContext& ctx, std::uint32_t n) {
    const OperationSettings& settings = ctx.settings;
    const std::uint32_t tableSector = settings.indexTableSector;
    const StorageType storage = settings.storage.value();
    std::uint32_t areaSectors = 0;
    if (!ctx.cmd.SelectStorage(storageCode(storage), bootAreaOf(settings), areaSectors)) return 0;
    std::vector<std::uint8_t> buffer(kImagePieceBytes);
    auto set = loadFirmwareSet(ctx, n, BurnKind::BlockStorage, areaSectors);
    if (!set) return 0;
    // The images go from sector 1 on; an index table sector among them would be
    // written over an image (or an image over it): refuse before writing anything.
    const std::uint64_t imageSectors = set->totalBytes() / kSectorSize;
    if (tableSector >= 1 && tableSector < 1 + imageSectors) {
        ctx.report.messageBox(
            formatText("Error : index table sector %u lies inside the firmware images (sectors 1 to %u) !",
                       tableSector, static_cast<unsigned>(imageSectors)));
        return 0;
    }
    IndexTableSector table;
    if (!ctx.cmd.ReadSectors(tableSector, 1, table.bytes())) {
        ctx.report.messageBox("Index table read fail !");
        return 0;
    }
    const std::uint32_t attributes =
        settings.moviNandLayout ? kFirmwareAttributes : kFirmwareAttributes | kNotMoviNandAttributeBit;
    DeviceSectorSink device(ctx.cmd);
    std::uint32_t next = 1;
    for (std::size_t i = 0; i < set->members.size(); ++i) {
        auto& member = set->members[i];
        table.setEntry(i, next, member.imageSectors(), attributes);
        if (!writeImage(ctx.report, device, member, next, buffer, {}, settings.verifyBurns)) return 0;
        next += member.imageSectors();
    }
    table.stampMagic();
    if (!settings.moviNandLayout) table.setStorageMarker(1);
    if (!ctx.cmd.WriteSectors(tableSector, 1, table.bytes())) return 0;
    if (settings.verifyBurns && !verifyBurn(ctx, set->members, table)) return 0;
    if (storage == StorageType::EMmc) {
        // eMMC keeps a second copy of the table in its boot area.
        if (!ctx.cmd.SelectStorage(storageCode(StorageType::EMmc), kBootArea, areaSectors)) return 0;
        if (!ctx.cmd.WriteSectors(tableSector, 1, table.bytes())) return 0;
        if (settings.verifyBurns && !verifyBurn(ctx, {}, table)) return 0;
    }
    return 1;
}

std::uint32_t burnSerialFlash(const OperationContext& ctx, std::uint32_t n, const UserAreaStep& configureUserArea) {
    if (n == 0 || n > 10) {
        ctx.report.showStepMessage("Firmware Number Wrong!!");
        ctx.report.enableOperationButtons(true);
        return 0;
    }
    const std::uint32_t result = burnSerialFlashSet(ctx, n, configureUserArea);
    ctx.report.enableOperationButtons(true);
    return result;
}

}  // namespace ib
