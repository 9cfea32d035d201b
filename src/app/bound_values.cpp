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
    // The numbers in control order, read up to the first that fails; the
    // values before it are stored, and its message is shown once the lock is
    // given back (a message box may wait for the view's thread).
    const std::string* numberTexts[] = {&view.bootSize, &view.bootReadAddr, &view.bootReadSize, &view.userReadAddr,
                                        &view.userReadSize};
    std::uint32_t numbers[std::size(numberTexts)] = {};
    std::size_t read = 0;
    const char* problem = nullptr;
    for (; read < std::size(numberTexts) && !problem; ++read) {
        const auto value = scanUnsigned(*numberTexts[read]);
        // An out-of-range boot size is not kept: the operation that still starts
        // must never send the recorder a boot size of 0 or beyond 512 MB.
        if (!value)
            problem = "Enter a positive integer.";
        else if (read == 0 && (*value < 1 || *value > 128))
            problem = "Enter an integer between 1 and 128.";
        else
            numbers[read] = *value;
    }
    if (problem) --read;  // the failing one is not stored
    {
        std::lock_guard lock(m_boundMutex);
        m_readRegAddr = view.readRegAddr;
        m_readRegValue = view.readRegValue;
        m_writeRegAddr = view.writeRegAddr;
        m_writeRegValue = view.writeRegValue;
        m_configBootArea = view.configBootArea;
        m_changeBootSize = view.changeBootSize;
        if (read > 0) {
            m_bootSize = numbers[0];
            m_storageName = view.storageName;
            m_configUserArea = view.configUserArea;
            m_firmwareNumber = view.firmwareNumber;
        }
        std::uint32_t* readBack[] = {&m_bootReadAddr, &m_bootReadSize, &m_userReadAddr, &m_userReadSize};
        for (std::size_t i = 1; i < read; ++i) *readBack[i - 1] = numbers[i];
        if (!problem) {
            m_rawPathEdit = view.rawPath;
            m_binPathEdit = view.binPath;
        }
    }
    if (problem) messageBox(problem, MessageBoxKind::Application);
    return !problem;
}

DialogValues CImageBurnerDlg::exchangeToView() const {
    std::lock_guard lock(m_boundMutex);
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
    (void)exchangeFromView(m_runView);  // a validation message does not stop the operation
    return {m_runView.readRegAddr, m_runView.writeRegAddr, m_runView.writeRegValue};
}

void CImageBurnerDlg::clearChangeBootSize() {
    std::lock_guard lock(m_boundMutex);
    m_changeBootSize = 0;
}

void CImageBurnerDlg::showReadRegisterValue(const std::string& value) {
    {
        std::lock_guard lock(m_boundMutex);
        m_readRegValue = value;
    }
    m_env.ui.showValues(exchangeToView());
}

void CImageBurnerDlg::shortenReadBack(StorageArea area, std::uint32_t count) {
    {
        std::lock_guard lock(m_boundMutex);
        (area == kBootArea ? m_bootReadSize : m_userReadSize) = count;
    }
    m_env.ui.showValues(exchangeToView());
}

void CImageBurnerDlg::rememberChosenPath(RememberedPath which, const std::string& path) {
    {
        std::lock_guard lock(m_boundMutex);
        (which == RememberedPath::RawFile ? m_rawPathEdit : m_binPathEdit) = path;
    }
    m_env.ui.showValues(exchangeToView());
}

}  // namespace ib
