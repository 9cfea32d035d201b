// "Read boot area" and "Read user area": a range of sectors copied from the
// recorder into BootArea.bin or UserArea.bin in the working folder.
#include <algorithm>
#include <vector>

#include "device/sector.h"
#include "device/text_format.h"
#include "update/image_burner_controller.h"
#include "update/status_texts.h"

namespace ib {
namespace {

}  // namespace

std::uint32_t CImageBurnerDlg::readBackArea(std::uint8_t area) {
    const bool boot = area == kBootArea;
    std::uint32_t& first = boot ? m_bootReadAddr : m_userReadAddr;
    std::uint32_t& count = boot ? m_bootReadSize : m_userReadSize;
    const auto output = workingDirectory() / (boot ? "BootArea.bin" : "UserArea.bin");

    if (!openRecorder({.reenableButtonsOnUiError = false, .uiErrorText = "UI parameter error !"})) return 0;
    if (m_cmd->GetMode() == kModeBootRom) {
        messageBox("Error 0x03: Please Sync Device first !");
        refreshDevicePresence();
        return 0;
    }
    showStepMessage("Start to read back sector .....");
    std::uint32_t areaSectors = 0;
    if (!m_cmd->SelectStorage(m_storageType, area, areaSectors)) {
        messageBox("Error 0x09: switch boot partition error !");
        refreshDevicePresence();
        return 0;
    }
    if (first > areaSectors) {
        messageBox(formatText("Error : sector %u lies beyond the end of the area (%u sectors) !", first, areaSectors));
        reselectUserArea();
        return 0;
    }
    // Computed in 64 bits: first + count may pass the 32-bit range.
    if (std::uint64_t{first} + count > areaSectors) {
        count = areaSectors - first;
        m_env.ui.showValues(exchangeToView());
    }
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    if (!file) {
        messageBox("open test.bin fail !");
        reselectUserArea();
        refreshDevicePresence();
        return 0;
    }
    std::vector<std::uint8_t> buffer(kMaxTransferBytes);
    std::uint32_t address = first;
    for (std::uint32_t remaining = count; remaining > 0;) {
        const std::uint32_t n = std::min(remaining, kMaxReadSectors);
        const bool read = m_cmd->ReadSectors(address, n, buffer) != 0;
        if (read) file.write(reinterpret_cast<const char*>(buffer.data()), n * kSectorSize);
        if (!read || !file) {
            reselectUserArea();
            showStepMessage(formatText("FAILED, read stopped at sector %u after %u sectors", address, address - first));
            return 0;
        }
        address += n;
        remaining -= n;
        m_env.ui.transferProgress(std::uint64_t{address - first} * kSectorSize, std::uint64_t{count} * kSectorSize);
    }
    file.close();
    reselectUserArea();
    showStepMessage("OK, Read to " + output.string());
    return 1;
}

}  // namespace ib
