// Copying the views' control values into the controller's fields and back,
// and the few fields an operation changes on its way.
// Numbers follow the standard "%u" conversion, as the dialog's own exchange
// does: leading blanks skipped, trailing text ignored, a minus sign wraps.
#include <cctype>
#include <cstdio>
#include <optional>

#include "app/image_burner_controller.h"

namespace ib {
namespace {

constexpr std::size_t kNumberTextLimit = 63;

std::optional<std::uint32_t> scanUnsigned(const std::string& text) {
    const std::string limited = text.substr(0, kNumberTextLimit);
    unsigned value = 0;
    if (std::sscanf(limited.c_str(), "%u", &value) != 1) return std::nullopt;
    return value;
}

// Writing a value back to a combo box selects the first entry that begins with
// it, letter case ignored; a value no entry begins with stays as typed text.
template <std::size_t N>
std::string comboText(const std::string& value, const char* const (&entries)[N]) {
    for (const char* entry : entries) {
        const std::string e(entry);
        if (e.size() < value.size()) continue;
        bool prefix = true;
        for (std::size_t i = 0; i < value.size() && prefix; ++i)
            prefix = std::tolower(static_cast<unsigned char>(e[i])) == std::tolower(static_cast<unsigned char>(value[i]));
        if (prefix) return e;
    }
    return value;
}

}  // namespace

bool CImageBurnerDlg::exchangeFromView(const DialogValues& view) {
    m_readRegAddr = view.readRegAddr;
    m_readRegValue = view.readRegValue;
    m_writeRegAddr = view.writeRegAddr;
    m_writeRegValue = view.writeRegValue;
    m_configBootArea = view.configBootArea;
    m_changeBootSize = view.changeBootSize;

    auto number = [this](const std::string& text, std::uint32_t& field) {
        const auto value = scanUnsigned(text);
        if (!value) {
            messageBox("Enter a positive integer.", MessageBoxKind::Application);
            return false;
        }
        field = *value;
        return true;
    };
    std::uint32_t bootSize = 0;
    if (!number(view.bootSize, bootSize)) return false;
    // An out-of-range size is not kept: the operation that still starts must
    // never send the recorder a boot size of 0 or beyond 512 MB.
    if (bootSize < 1 || bootSize > 128) {
        messageBox("Enter an integer between 1 and 128.", MessageBoxKind::Application);
        return false;
    }
    m_bootSize = bootSize;
    m_storageName = view.storageName;
    m_configUserArea = view.configUserArea;
    m_firmwareNumber = view.firmwareNumber;
    if (!number(view.bootReadAddr, m_bootReadAddr) || !number(view.bootReadSize, m_bootReadSize) ||
        !number(view.userReadAddr, m_userReadAddr) || !number(view.userReadSize, m_userReadSize))
        return false;
    m_rawPathEdit = view.rawPath;
    m_binPathEdit = view.binPath;
    return true;
}

DialogValues CImageBurnerDlg::exchangeToView() const {
    DialogValues view;
    view.readRegAddr = m_readRegAddr;
    view.readRegValue = m_readRegValue;
    view.writeRegAddr = m_writeRegAddr;
    view.writeRegValue = m_writeRegValue;
    view.configBootArea = m_configBootArea;
    view.changeBootSize = m_changeBootSize;
    view.bootSize = std::to_string(m_bootSize);
    view.storageName = comboText(m_storageName, kStorageNames);
    view.configUserArea = m_configUserArea;
    view.firmwareNumber = comboText(m_firmwareNumber, kFirmwareNumbers);
    view.bootReadAddr = std::to_string(m_bootReadAddr);
    view.bootReadSize = std::to_string(m_bootReadSize);
    view.userReadAddr = std::to_string(m_userReadAddr);
    view.userReadSize = std::to_string(m_userReadSize);
    view.rawPath = m_rawPathEdit;
    view.binPath = m_binPathEdit;
    return view;
}

RegisterTexts CImageBurnerDlg::copyViewIn() {
    exchangeFromView(m_launchView);  // a validation message does not stop the operation
    return {m_readRegAddr, m_writeRegAddr, m_writeRegValue};
}

void CImageBurnerDlg::showReadRegisterValue(const std::string& value) {
    m_readRegValue = value;
    m_env.ui.showValues(exchangeToView());
}

void CImageBurnerDlg::shortenReadBack(StorageArea area, std::uint32_t count) {
    (area == kBootArea ? m_bootReadSize : m_userReadSize) = count;
    m_env.ui.showValues(exchangeToView());
}

void CImageBurnerDlg::rememberChosenPath(RememberedPath which, const std::string& path) {
    (which == RememberedPath::RawFile ? m_rawPathEdit : m_binPathEdit) = path;
    m_env.ui.showValues(exchangeToView());
}

}  // namespace ib
