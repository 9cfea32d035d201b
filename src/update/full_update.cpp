// The full update process: connect, load the updater when the recorder runs
// its boot ROM, prepare the boot area, burn the firmware set, lay out and
// format the user area, and always close the session.
#include <cstdlib>

#include "update/image_burner_controller.h"
#include "update/status_texts.h"

namespace ib {

void CImageBurnerDlg::reselectUserArea() {
    std::uint32_t ignored = 0;
    m_cmd->SelectStorage(m_storageType, kUserArea, ignored);
}

std::uint32_t CImageBurnerDlg::firmwareCount() const {
    // The text's integer value, held in 8 bits: "257" counts as 1, "abc" as 0.
    return static_cast<std::uint8_t>(std::atoi(m_firmwareNumber.c_str()));
}

std::uint32_t CImageBurnerDlg::runFullUpdate() {
    const std::uint32_t result = fullUpdateSteps();
    m_usbCmd.EndSession();  // on every path; its failure is not reported
    m_keepStatusOnRemoval = 1;
    return result;
}

std::uint32_t CImageBurnerDlg::fullUpdateSteps() {
    // Shows the message, runs the clean-up, shows the recorder's presence.
    const auto fail = [this](const char* message, bool reselect = false) {
        messageBox(message);
        if (reselect) reselectUserArea();
        refreshDevicePresence();
        return 0u;
    };
    enableOperationButtons(false);
    if (!selectStorageType()) {
        messageBox("Error 0x01: UI parameter error !");
        enableOperationButtons(true);
        return 0;
    }
    setProgress(text::kConnecting, 0, kGrey, kGrey);
    if (!m_cmd->Open()) return fail("Error 0x02: No QUB device !");
    m_env.clock.sleepMs(2000);

    if (m_cmd->GetMode() == kModeBootRom) {
        setDeviceEventsEnabled(0);  // the recorder leaves and returns during the download
        setProgress(text::kDownloadAgent, 100, kBlue, kBlack);
        if (!DownloadUpdater(100)) {
            fail("Error 0x03: Download updater.bin error !");
            setDeviceEventsEnabled(1);
            return 0;
        }
        setDeviceEventsEnabled(1);
    }

    if (m_configBootArea == 1 || m_cmd->GetMode() == kModeBootRom) {
        if (m_configBootArea == 1 && m_changeBootSize == 1) {
            showStepMessage("change boot size .....");
            if (!changeBootSize()) return fail("Error 0x05: Change boot size error !");
        }
        showStepMessage("low level format .....");
        if (!lowLevelFormatBootArea()) return fail("Error 0x06: Low level format boot area fail !");
    }

    const std::uint32_t n = firmwareCount();
    if (n == 0 || n > 10) return fail("Error 0x14: firmware number error !");

    if (m_storageType == 3) {
        const std::uint32_t burnt = burnSerialFlash(n, m_configUserArea);
        setProgressTextColour(kBlack);
        if (burnt)
            setProgress(text::kProcessSucceeded, 100, kGreen, kBlack);
        else
            setProgress(text::kProcessFailed, 100, kRed, kBlack);
        enableOperationButtons(true);
        return burnt;
    }

    showStepMessage("Start to download code .....");
    if (!burnBlockStorage(n)) return fail("Error 0x07: Burn-in Firmware error !", true);
    if (m_configUserArea != 0) {
        showStepMessage("Update 1st sector partition setting .....");
        if (!updatePartitionSetting()) return fail("Error 0x10: Update 1st sector partition setting error !", true);
        showStepMessage("Format user area .....");
        if (!m_cmd->FormatUserArea()) return fail("Error 0x0c: format user area error !");
        showStepMessage("Start to configure user area .....");
        if (!configureUserArea()) return fail("Error 0x0a: configure user area error !", true);
    }
    showStepMessage("Burn-in Boot process done .....");
    reselectUserArea();
    enableOperationButtons(true);
    return 1;
}

}  // namespace ib
