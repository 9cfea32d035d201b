// The "Configure User Area + Format" button: configure the user area on a
// recorder that runs its updater, then have the recorder format it.
#include "update/image_burner_controller.h"

namespace ib {

std::uint32_t CImageBurnerDlg::onConfigureUserArea() {
    if (!openRecorder({.reenableButtonsOnUiError = false})) return 0;
    if (m_cmd->GetMode() == kModeBootRom) {
        messageBox("Error 0x03: Please Sync Device first !");
        refreshDevicePresence();
        return 0;
    }
    showStepMessage("Start to configure user area .....");
    if (!configureUserArea()) {
        messageBox("Error 0x0a: configure user area error !");
        reselectUserArea();
        refreshDevicePresence();
        return 0;
    }
    showStepMessage("Format user area .....");
    if (!m_cmd->FormatUserArea()) {
        messageBox("Error 0x0c: format user area error !");
        refreshDevicePresence();
        return 0;
    }
    showStepMessage("configure user area done .....");
    messageBox("All process done", MessageBoxKind::Information);
    return 1;
}

}  // namespace ib
