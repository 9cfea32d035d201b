// "Create SIF Bin": the whole firmware set and user area built into one image
// file without a recorder, laid out as the serial-flash burn lays out the
// device, then finished by the merge tool into the output file with a checksum.
#include <vector>

#include "device/sector.h"
#include "device/text_format.h"
#include "update/image_burner_controller.h"
#include "update/status_texts.h"
#include "userarea/image_file_writes.h"

namespace ib {
namespace {

constexpr const char* kIntermediateName = "SD_RoadVTemp.bin";

// The merge tool renames its new file over the output, which would swap a
// device node, a FIFO or a folder for a plain file. A path that does not exist
// yet, or that cannot be examined, is left to the tool.
bool replaceableByImage(const std::filesystem::path& output) {
    std::error_code ec;
    const auto status = std::filesystem::status(output, ec);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

}  // namespace

std::uint32_t CImageBurnerDlg::createSdImage() {
    if (m_binPathEdit.empty()) browseBinFile();
    if (m_binPathEdit.empty()) {
        messageBox("Error : Lost Bin File\n");
        return 0;
    }
    // Relative to the working folder, where the merge tool runs.
    if (const auto output = workingDirectory() / m_binPathEdit; !replaceableByImage(output)) {
        messageBox("Error : " + output.string() + " exists and is not a regular file: choose another SD image file !");
        return 0;
    }
    m_isMoviNand = 0;
    const auto intermediate = workingDirectory() / kIntermediateName;
    std::fstream image(intermediate, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
    if (!image) {
        messageBox("Cannot Open SD_RoadV.bin", MessageBoxKind::Application);
        return 0;
    }
    const std::uint32_t n = firmwareCount();
    if (n == 0 || n > 10) {
        messageBox("Error 0x14: firmware number error !");
        refreshDevicePresence();
        return 0;
    }
    const std::uint32_t result = buildSdImage(image);
    // The final status tells how the run ended: a failed run is not shown as a success.
    setProgressTextColour(kBlack);
    if (result)
        setProgress(text::kProcessSucceeded, 100, kGreen, kBlack);
    else
        setProgress(text::kProcessFailed, 100, kRed, kBlack);
    return result;
}

std::uint32_t CImageBurnerDlg::buildSdImage(std::fstream& image) {
    const std::uint32_t n = firmwareCount();
    auto set = loadFirmwareSet(n, BurnKind::SerialFlash, std::nullopt);
    if (!set) return 0;
    auto& members = set->members;
    const std::uint64_t tableOffset = std::uint64_t{m_mbrSector} * kSectorSize;
    const std::uint64_t bootCodeEnd = members[0].imageLength;
    if (n == 3 && bootCodeEnd > tableOffset) {
        messageBox(formatText("Error : boot code (%llu bytes) runs into the index table sector %u !",
                              static_cast<unsigned long long>(members[0].imageLength), m_mbrSector));
        return 0;
    }
    std::vector<std::uint8_t> buffer(65536);
    if (n == 1 || n == 3) {
        if (!writeImage(members[0], 0, buffer, {}, &image)) return 0;
        if (n == 1) return 1;  // the boot code alone: no table, no user area, no merge
    }
    IndexTableSector sector = IndexTableSector::filledWith(0xFF);
    FirmwareMember* images[2] = {&members[n - 2], &members[n - 1]};
    const std::uint32_t bootloaderStart = m_mbrSector + 1;
    const std::uint32_t starts[2] = {bootloaderStart, bootloaderStart + images[0]->imageSectors()};
    const std::uint64_t total = std::uint64_t{images[0]->imageLength} + images[1]->imageLength;
    std::uint64_t written = 0;
    for (std::size_t e = 0; e < 2; ++e) {
        sector.setEntry(e, starts[e], images[e]->imageSectors(), kFirmwareAttributes | kNotMoviNandAttributeBit);
        const auto showPiece = [&](std::uint64_t done) {
            setProgressTextColour(kBlack);
            setProgress(images[e]->path, static_cast<int>((written + done) * 100 / total), kTiledPattern, kWhite);
        };
        if (!writeImage(*images[e], starts[e], buffer, showPiece, &image)) {
            messageBox("Error : cannot write " + images[e]->path + " into the image");
            return 0;
        }
        written += images[e]->imageLength;
    }
    sector.stampMagic();
    if (!writeAt(image, tableOffset, sector.bytes()) || !writeUserAreaImage(sector, image)) {
        messageBox("Error 0x0a: configure user area error !");
        refreshDevicePresence();
        return 0;
    }
    // Erased-flash bytes between the boot code and the index table sector.
    const bool filled = fillWithFF(image, bootCodeEnd, tableOffset);
    image.close();
    if (!filled || image.fail()) {
        messageBox("Error : cannot write the image file (disk full?)");
        return 0;
    }
    return mergeSdImage();
}

std::uint32_t CImageBurnerDlg::mergeSdImage() {
    const auto intermediate = workingDirectory() / kIntermediateName;
    const int status =
        m_env.processes.run(m_env.locateTool("mergeimg"), {kIntermediateName, m_binPathEdit}, workingDirectory());
    if (status != 0) {
        messageBox(std::string("Error : ") + kIntermediateName + " Combine MD5 Failed\n");
        return 0;
    }
    std::error_code ec;
    if (!std::filesystem::remove(intermediate, ec) || ec)
        showStepMessage("Could not delete " + intermediate.string() + ": " + ec.message());
    return 1;
}

}  // namespace ib
