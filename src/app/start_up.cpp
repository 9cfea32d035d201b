// The main window's start-up: the settings of "DiskInfo.ini" preset the
// controls, then notifications, the status line, the presence check and the
// remembered paths.
#include "config/private_profile.h"
#include "app/image_burner_controller.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr const char* kProfileSection = "QUBImageBurner";

// A list selection outside the list leaves the combo box empty.
template <std::size_t N>
std::string listEntry(std::uint32_t index, const char* const (&entries)[N]) {
    return index < N ? entries[index] : "";
}

// Files saved by editors that put a UTF-8 byte-order mark first lose their first
// section, as on Windows (configurations written for it rely on that reading);
// the user is told which section is lost.
std::string hiddenSectionWarning(const std::string& iniPath, const std::string& section) {
    return iniPath + " starts with a UTF-8 byte-order mark: section [" + section +
           "] is not read and its keys take their defaults. Save the file without the mark.";
}

}  // namespace

bool CImageBurnerDlg::startUp(DialogValues& view) {
    view = exchangeToView();
    m_iniPath = utf8FromPath(configurationPath());
    const auto ini = PrivateProfile::load(configurationPath()).value_or(PrivateProfile{});
    const std::uint32_t freezeUi = ini.readInt("UI_SETTING", "FreezeUI", 0);
    const std::uint32_t media = ini.readInt("UI_SETTING", "Media", 2);
    const std::uint32_t numberOfFirmware = ini.readInt("UI_SETTING", "NumberOfFirmware", 2);
    m_configUserArea = static_cast<std::int32_t>(ini.readInt("UI_SETTING", "ConfigUserArea", 1));
    m_mbrSector = ini.readInt("DEFAULT_FW", "MBR", 0);

    view.configUserArea = m_configUserArea != 0 ? 1 : 0;
    view.storageName = listEntry(media, kStorageNames);
    view.firmwareNumber = listEntry(numberOfFirmware - 1, kFirmwareNumbers);  // 0 wraps: no selection
    if (freezeUi != 0) {
        for (ControlId c : {ControlId::StorageCombo, ControlId::FirmwareCombo, ControlId::ConfigUserCheck,
                            ControlId::ConfigUserButton, ControlId::ReadRegisterButton, ControlId::WriteRegisterButton,
                            ControlId::ReadBootButton, ControlId::ReadUserButton})
            m_env.ui.setControlEnabled(c, false);
    }

    if (!registerDeviceNotifications()) return false;
    m_keepStatusOnRemoval = 0;
    m_status.attach();
    refreshDevicePresence();
    // After the presence check, whose status repaint would hide a step message at once.
    if (const auto& hidden = ini.sectionHiddenByByteOrderMark())
        m_env.ui.showWarning(hiddenSectionWarning(m_iniPath, *hidden));

    if (auto raw = m_env.profile.read(kProfileSection, "raw_path"); !raw.empty()) view.rawPath = raw;
    if (auto bin = m_env.profile.read(kProfileSection, "bin_path"); !bin.empty()) view.binPath = bin;
    m_rawPathEdit = view.rawPath;
    m_binPathEdit = view.binPath;
    return true;
}

}  // namespace ib
