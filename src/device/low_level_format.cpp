// The stand-alone "LowLevelFormat" operation: make sure the updater runs, then
// have the recorder low-level format its storage.
#include "update/image_burner_controller.h"

namespace ib {

std::uint32_t CImageBurnerDlg::LowLevelFormatWorker() {
    if (!openRecorder({})) return 0;
    m_env.clock.sleepMs(2000);
    if (!syncIfInBootRom()) return 0;
    // The messages name NAND whatever storage is selected: the command carries no type.
    showStepMessage("QUB_LowLevelFormat for NAND");
    if (!m_cmd->LowLevelFormat()) {
        messageBox("Error : QUB_LowLevelFormaterror !");
        refreshDevicePresence();
        return 0;
    }
    showStepMessage("QUB_LowLevelFormat for NAND done .....");
    return 1;
}

}  // namespace ib
