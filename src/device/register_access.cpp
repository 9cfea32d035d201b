// Reading and writing single register bytes of the recorder, in whatever mode
// it runs: "Read Register" and "Write Register".
#include "device/parse_number.h"
#include "device/text_format.h"
#include "update/image_burner_controller.h"
#include "update/status_texts.h"

namespace ib {

std::optional<std::uint64_t> CImageBurnerDlg::registerNumber(const std::string& text) {
    const auto number = ParseNumber(text);
    if (!number) messageBox("Error : invalid number " + text);
    return number;
}

bool CImageBurnerDlg::openForRegisterAccess(const char* startMessage) {
    // Registers are reached in whatever mode the recorder runs: no storage type, no download.
    setProgress(text::kConnecting, 0, kGrey, kGrey);
    if (!m_cmd->Open()) {
        messageBox("Error 0x02: No QUB device !");
        refreshDevicePresence();
        return false;
    }
    exchangeFromView(m_launchView);
    showStepMessage(startMessage);
    return true;
}

std::uint32_t CImageBurnerDlg::ReadRegisterCommand() {
    if (!openForRegisterAccess("Start to read register .....")) return 0;
    const auto address = registerNumber(m_readRegAddr);
    if (!address) return 0;
    std::uint8_t value = 0;
    if (!m_cmd->ReadRegister(static_cast<std::uint32_t>(*address), value)) {
        messageBox("Error 0x010: Read register fail!");
        refreshDevicePresence();
        return 0;
    }
    m_readRegValue = formatText("0x%x", static_cast<unsigned>(value));
    m_env.ui.showValues(exchangeToView());
    showStepMessage("Read register done .....");
    return 1;
}

std::uint32_t CImageBurnerDlg::WriteRegisterCommand() {
    if (!openForRegisterAccess("Start to write register .....")) return 0;
    const auto address = registerNumber(m_writeRegAddr);
    if (!address) return 0;
    const auto value = registerNumber(m_writeRegValue);
    if (!value) return 0;
    const auto byte = static_cast<std::uint8_t>(*value);
    if (!m_cmd->WriteRegister(static_cast<std::uint32_t>(*address), byte)) {
        messageBox("Error 0x011: Write register fail!");
        refreshDevicePresence();
        return 0;
    }
    showStepMessage("Write register done .....");
    return 1;
}

}  // namespace ib
