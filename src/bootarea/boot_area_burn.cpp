// Burning the firmware set into the boot area: back to back from sector 1 on
// block storage, behind the index table sector on serial flash, with the
// index table sector read, filled and written back.
#include <algorithm>

#include "device/sector.h"
#include "device/text_format.h"
#include "update/image_burner_controller.h"

namespace ib {
namespace {

constexpr std::uint32_t kPieceBytes = 65536;

}  // namespace

bool CImageBurnerDlg::writeImage(FirmwareMember& member, std::uint32_t firstSector, std::vector<std::uint8_t>& buffer,
                                 const std::function<void(std::uint64_t done)>& showPiece, std::fstream* image) {
    std::uint64_t sector = firstSector;
    std::uint64_t fileBytesLeft = member.fileImageBytes;
    member.written = {firstSector, {}};
    for (std::uint64_t done = 0; done < member.imageLength;) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(member.imageLength - done, kPieceBytes));
        const auto fromFile = static_cast<std::uint32_t>(std::min<std::uint64_t>(piece, fileBytesLeft));
        // The tail of the last sector lies beyond the file; it is filled, never stale.
        std::fill(buffer.begin() + fromFile, buffer.begin() + piece, std::uint8_t{0xFF});
        member.file->read(reinterpret_cast<char*>(buffer.data()), fromFile);
        if (static_cast<std::uint32_t>(member.file->gcount()) != fromFile) return false;
        const auto progress = [&] {
            if (showPiece) showPiece(done);
        };
        if (!writePiece(sector, std::span(buffer).first(piece), image, progress)) return false;
        if (!image && m_verifyBurns) member.written.record(std::span(buffer).first(piece));
        fileBytesLeft -= fromFile;
        done += piece;
        sector += piece / kSectorSize;
        m_env.ui.transferProgress(done, member.imageLength);
    }
    return true;
}

bool CImageBurnerDlg::verifyBurn(std::span<const FirmwareMember> members, const IndexTableSector& table) {
    std::vector<std::uint8_t> buffer(kMaxTransferBytes);
    for (const auto& member : members) {
        const auto& digests = member.written.digests;
        for (std::size_t done = 0; done < digests.size();) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(digests.size() - done, kMaxReadSectors));
            const std::uint32_t first = member.written.firstSector + static_cast<std::uint32_t>(done);
            if (!m_cmd->ReadSectors(first, n, buffer)) {
                messageBox(formatText("Error : verify could not read sectors %u to %u back !", first, first + n - 1));
                return false;
            }
            for (std::uint32_t i = 0; i < n; ++i) {
                if (sectorDigest(std::span(buffer).subspan(i * kSectorSize, kSectorSize)) != digests[done + i]) {
                    messageBox("Error : verify failed: " + member.path + " differs at sector " +
                               std::to_string(first + i) + " !");
                    return false;
                }
            }
            done += n;
        }
    }
    IndexTableSector readBack;
    if (!m_cmd->ReadSectors(m_mbrSector, 1, readBack.bytes()) ||
        !std::equal(readBack.bytes().begin(), readBack.bytes().end(), table.bytes().begin())) {
        messageBox(formatText("Error : verify failed: the index table sector %u differs !", m_mbrSector));
        return false;
    }
    return true;
}

std::uint32_t CImageBurnerDlg::burnBlockStorage(std::uint32_t n) {
    std::uint32_t areaSectors = 0;
    if (!m_cmd->SelectStorage(m_storageType, static_cast<std::uint8_t>(m_isMoviNand), areaSectors)) return 0;
    std::vector<std::uint8_t> buffer(kPieceBytes);
    auto set = loadFirmwareSet(n, BurnKind::BlockStorage, areaSectors);
    if (!set) return 0;
    // The images go from sector 1 on; an index table sector among them would be
    // written over an image (or an image over it): refuse before writing anything.
    const std::uint64_t imageSectors = set->totalBytes() / kSectorSize;
    if (m_mbrSector >= 1 && m_mbrSector < 1 + imageSectors) {
        messageBox(formatText("Error : index table sector %u lies inside the firmware images (sectors 1 to %u) !",
                            m_mbrSector, static_cast<unsigned>(imageSectors)));
        return 0;
    }
    IndexTableSector table;
    if (!m_cmd->ReadSectors(m_mbrSector, 1, table.bytes())) {
        messageBox("Index table read fail !");
        return 0;
    }
    const std::uint32_t attributes = m_isMoviNand ? kFirmwareAttributes : kFirmwareAttributes | kNotMoviNandAttributeBit;
    std::uint32_t next = 1;
    for (std::size_t i = 0; i < set->members.size(); ++i) {
        auto& member = set->members[i];
        table.setEntry(i, next, member.imageSectors(), attributes);
        if (!writeImage(member, next, buffer)) return 0;
        next += member.imageSectors();
    }
    table.stampMagic();
    if (!m_isMoviNand) table.setStorageMarker(1);
    if (!m_cmd->WriteSectors(m_mbrSector, 1, table.bytes())) return 0;
    if (m_verifyBurns && !verifyBurn(set->members, table)) return 0;
    if (m_storageType == 2) {
        // eMMC keeps a second copy of the table in its boot area.
        if (!m_cmd->SelectStorage(2, kBootArea, areaSectors)) return 0;
        if (!m_cmd->WriteSectors(m_mbrSector, 1, table.bytes())) return 0;
        if (m_verifyBurns && !verifyBurn({}, table)) return 0;
    }
    return 1;
}

}  // namespace ib

namespace ib {

std::uint32_t CImageBurnerDlg::burnSerialFlash(std::uint32_t n, std::int32_t configureUserArea) {
    if (n == 0 || n > 10) {
        showStepMessage("Firmware Number Wrong!!");
        enableOperationButtons(true);
        return 0;
    }
    const std::uint32_t result = burnSerialFlashSet(n, configureUserArea);
    enableOperationButtons(true);
    return result;
}

std::uint32_t CImageBurnerDlg::burnSerialFlashSet(std::uint32_t n, std::int32_t configureUserArea) {
    std::uint32_t areaSectors = 0;
    if (!m_cmd->SelectStorage(m_storageType, static_cast<std::uint8_t>(m_isMoviNand), areaSectors)) {
        showStepMessage("Select Storage fail ...");
        return 0;
    }
    std::vector<std::uint8_t> buffer(kPieceBytes);
    auto set = loadFirmwareSet(n, BurnKind::SerialFlash, areaSectors);
    if (!set) return 0;
    auto& members = set->members;
    const bool hasBootCode = n == 1 || n == 3;
    // Beside a bootloader and firmware, the boot code runs from sector 0 and must
    // end before the index table sector, which is rewritten behind it. Alone it
    // is all there is: the table is read but never written back.
    if (n == 3 && members[0].imageSectors() > m_mbrSector) {
        messageBox(formatText("Error : boot code (%u sectors) runs into the index table sector %u !",
                            members[0].imageSectors(), m_mbrSector));
        return 0;
    }
    IndexTableSector table;
    if (!m_cmd->ReadSectors(m_mbrSector, 1, table.bytes())) {
        messageBox("Index table read fail !");
        return 0;
    }
    if (hasBootCode && !writeImage(members[0], 0, buffer)) {
        showStepMessage("Write BootCode Sector Error...");
        return 0;
    }
    if (n == 1) return 1;
    m_env.clock.sleepMs(100);

    FirmwareMember* images[2] = {&members[n - 2], &members[n - 1]};
    const std::uint32_t bootloaderStart = m_mbrSector + 1;
    table.setEntry(0, bootloaderStart, images[0]->imageSectors(), kFirmwareAttributes);
    table.setEntry(1, bootloaderStart + images[0]->imageSectors(), images[1]->imageSectors(), kFirmwareAttributes);
    const std::uint64_t total = std::uint64_t{images[0]->imageLength} + images[1]->imageLength;
    std::uint64_t written = 0;
    for (std::size_t e = 0; e < 2; ++e) {
        IndexTableEntry entry = table.entry(e);
        if (!m_isMoviNand) table.setEntry(e, entry.startSector, entry.sectorCount,
                                          entry.attributes | kNotMoviNandAttributeBit);
        const auto showPiece = [&](std::uint64_t done) {
            setProgressTextColour(kBlack);
            setProgress(images[e]->path, static_cast<int>((written + done) * 100 / total), kTiledPattern, kWhite);
        };
        if (!writeImage(*images[e], entry.startSector, buffer, showPiece)) {
            showStepMessage("Write Bootloader/FW Sector Error...");
            return 0;
        }
        written += images[e]->imageLength;
    }
    m_env.clock.sleepMs(10);
    table.stampMagic();
    if (!m_isMoviNand) table.setStorageMarker(1);
    if (!m_cmd->WriteSectors(m_mbrSector, 1, table.bytes())) {
        showStepMessage("Update MBR Fail...");
        return 0;
    }
    if (m_verifyBurns && !verifyBurn(members, table)) return 0;
    if (configureUserArea && !this->configureUserArea()) {
        messageBox("Error 0x0a: configure user area error !");
        refreshDevicePresence();
        return 0;
    }
    return 1;
}

}  // namespace ib
