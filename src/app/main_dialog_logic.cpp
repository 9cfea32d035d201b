#include "app/main_dialog_logic.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "app/control_table.h"
#include "app/working_folder.h"
#include "seams/administrator_rights.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr int kOperationButtons[] = {control::Start,         control::SyncDevice,
                                     control::ReadUserArea,  control::ReadBootArea,
                                     control::WriteRegister, control::ReadRegister,
                                     control::ConfigureUserAreaButton, control::RawWrite};

constexpr std::pair<int, Operation> kButtonOperations[] = {
    {control::Start, Operation::FullUpdate},
    {control::ReadRegister, Operation::ReadRegister},
    {control::WriteRegister, Operation::WriteRegister},
    {control::ReadBootArea, Operation::ReadBootArea},
    {control::ConfigureUserAreaButton, Operation::ConfigureUserArea},
    {control::ReadUserArea, Operation::ReadUserArea},
    {control::SyncDevice, Operation::Sync},
    {control::LowLevelFormat, Operation::LowLevelFormat},
    {control::RawWrite, Operation::RawWrite},
    {control::CreateSdImage, Operation::CreateSdImage},
};

// The edits' texts, the check boxes and the combo boxes, and their view fields.
constexpr std::pair<int, std::string DialogValues::*> kEdits[] = {
    {control::ReadRegisterAddress, &DialogValues::readRegAddr},
    {control::ReadRegisterValue, &DialogValues::readRegValue},
    {control::WriteRegisterAddress, &DialogValues::writeRegAddr},
    {control::WriteRegisterValue, &DialogValues::writeRegValue},
    {control::BootSize, &DialogValues::bootSize},
    {control::BootReadAddress, &DialogValues::bootReadAddr},
    {control::BootReadSize, &DialogValues::bootReadSize},
    {control::UserReadAddress, &DialogValues::userReadAddr},
    {control::UserReadSize, &DialogValues::userReadSize},
    {control::RawPath, &DialogValues::rawPath},
    {control::BinPath, &DialogValues::binPath},
};
constexpr std::pair<int, int DialogValues::*> kChecks[] = {
    {control::ConfigureBootArea, &DialogValues::configBootArea},
    {control::ChangeBootSize, &DialogValues::changeBootSize},
    {control::ConfigureUserAreaCheck, &DialogValues::configUserArea},
};
constexpr std::pair<int, std::string DialogValues::*> kCombos[] = {
    {control::StorageType, &DialogValues::storageName},
    {control::FirmwareNumber, &DialogValues::firmwareNumber},
};

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return prefix.size() <= text.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](unsigned char a, unsigned char b) {
               return std::tolower(a) == std::tolower(b);
           });
}

int firstEntryStartingWith(int id, const std::string& value) {
    const auto entries = listEntries(id);
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&value](const char* entry) { return startsWithIgnoringCase(entry, value); });
    return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
}

// The start-up preset: each combo box selects the entry start-up chose, or none (an empty box).
void presetView(DialogControls& controls, const DialogValues& values, const ListSelections& selected) {
    writeView(controls, values);
    controls.selectListEntry(control::StorageType, selected.storage);
    controls.selectListEntry(control::FirmwareNumber, selected.firmwareNumber);
}

}  // namespace

std::span<const int> operationButtons() { return kOperationButtons; }

std::optional<Operation> operationOfButton(int id) {
    for (const auto& [button, op] : kButtonOperations)
        if (button == id) return op;
    return std::nullopt;
}

std::span<const char* const> listEntries(int id) {
    if (id == control::StorageType) return kStorageNames;
    if (id == control::FirmwareNumber) return kFirmwareNumbers;
    return {};
}

const char* operationName(Operation op) {
    switch (op) {
        case Operation::FullUpdate: return "full update";
        case Operation::Sync: return "sync";
        case Operation::LowLevelFormat: return "low-level format";
        case Operation::CreateSdImage: return "SD image creation";
        case Operation::ReadRegister: return "register read";
        case Operation::WriteRegister: return "register write";
        case Operation::ReadBootArea: return "boot area read-back";
        case Operation::ReadUserArea: return "user area read-back";
        case Operation::ConfigureUserArea: return "user area configuration";
        case Operation::RawWrite: return "raw write";
    }
    return "operation";
}

std::string titleWithFolder(const std::string& title, const std::string& folder, char separator) {
    // A folder given with a separator at its end names the same folder; a
    // root ("/", "C:\") keeps its own.
    std::string path = folder;
    while (path.size() > 1 && path.back() == separator && path[path.size() - 2] != ':') path.pop_back();
    const std::size_t last = path.rfind(separator);
    if (last == std::string::npos) return title;
    return title + " - " + path.substr(last + 1);
}

DialogValues readView(const DialogControls& controls) {
    DialogValues values;
    for (const auto& [id, field] : kEdits) values.*field = controls.text(id);
    for (const auto& [id, field] : kChecks) values.*field = controls.isChecked(id) ? 1 : 0;
    for (const auto& [id, field] : kCombos) values.*field = controls.text(id);
    return values;
}

void writeView(DialogControls& controls, const DialogValues& values) {
    for (const auto& [id, field] : kEdits) controls.setText(id, values.*field);
    for (const auto& [id, field] : kChecks) controls.setChecked(id, values.*field != 0);
    for (const auto& [id, field] : kCombos) {
        const int index = firstEntryStartingWith(id, values.*field);
        if (index >= 0)
            controls.selectListEntry(id, index);
        else
            controls.setText(id, values.*field);
    }
}

std::optional<std::string> MainDialogLogic::startUp(CImageBurnerDlg& controller, const std::string& title) {
    m_controller = &controller;
    DialogValues view = controller.exchangeToView();
    writeView(m_controls, view);
    ListSelections selected;
    const bool started = controller.startUp(view, selected);
    presetView(m_controls, view, selected);
    if (!started) return std::nullopt;
    return titleWithFolder(title, utf8FromPath(controller.workingDirectory()),
                           static_cast<char>(std::filesystem::path::preferred_separator));
}

void MainDialogLogic::click(int id) {
    if (!m_controller) return;
    if (const auto op = operationOfButton(id)) {
        m_controller->launch(*op, readView(m_controls));
    } else if (id == control::ConfigureBootArea) {
        onConfigureBootArea();
    } else if (id == control::BrowseRawFile || id == control::BrowseBinFile) {
        browse(id == control::BrowseBinFile);
    }
}

void MainDialogLogic::onConfigureBootArea() {
    const DialogValues view = readView(m_controls);
    (void)m_controller->exchangeFromView(view);
    if (view.configBootArea == 1) {
        setBootSizeControlsEnabled(true);
        return;
    }
    m_controller->clearChangeBootSize();
    writeView(m_controls, m_controller->exchangeToView());
    setBootSizeControlsEnabled(false);
}

void MainDialogLogic::setBootSizeControlsEnabled(bool enabled) {
    for (int id : {control::BootSize, control::ChangeBootSize, control::BootSizeUnit}) m_controls.setEnabled(id, enabled);
}

void MainDialogLogic::browse(bool binFile) {
    // The chooser writes every field back; only the chosen path is to change.
    DialogValues kept = readView(m_controls);
    const bool chosen = binFile ? m_controller->browseBinFile() : m_controller->browseRawFile();
    if (chosen) {
        const DialogValues now = m_controller->exchangeToView();
        (binFile ? kept.binPath : kept.rawPath) = binFile ? now.binPath : now.rawPath;
    }
    writeView(m_controls, kept);
}

bool MainDialogLogic::requestClose(const std::function<bool()>& askUser) {
    if (!m_controller || !m_controller->busy()) return true;
    m_closeWhenFinished = askUser();
    // It may have finished while the question was open.
    return m_closeWhenFinished && !m_controller->busy();
}

}  // namespace ib

namespace ib {

std::optional<std::string> elevationQuestion(const std::string& text) {
    if (!isAdministratorRightsMessage(text)) return std::nullopt;
    return text + "\n\nStart ImageBurner again as administrator, in the same working folder?";
}

bool MainDialogLogic::mayChooseWorkingFolder() {
    if (!m_controller) return false;
    if (!m_controller->busy()) return true;
    m_controller->messageBox(kFolderWhileBusyMessage);
    return false;
}

std::optional<std::vector<std::string>> MainDialogLogic::workingFolderChosen(const std::filesystem::path& folder,
                                                                             const std::vector<std::string>& arguments) {
    if (!m_controller) return std::nullopt;
    if (!app::rememberWorkingFolder(m_controller->profile(), folder)) {
        m_controller->messageBox("Cannot remember the working folder " + utf8FromPath(folder) +
                                 ": the profile could not be written.");
        return std::nullopt;
    }
    return app::argumentsWithWorkingFolder(arguments, folder);
}

std::vector<std::string> MainDialogLogic::argumentsHere(const std::vector<std::string>& arguments) const {
    return m_controller ? app::argumentsWithWorkingFolder(arguments, m_controller->workingDirectory()) : arguments;
}

void MainDialogLogic::endSession() {
    m_leaving = true;
    m_stopRequested = true;
    m_endAwaited = operationRunning();
}

void MainDialogLogic::leaveWhenFinished() {
    m_leaving = true;
    m_closeWhenFinished = true;
}

}  // namespace ib
