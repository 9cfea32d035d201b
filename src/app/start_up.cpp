// The main window's start-up: the settings of "DiskInfo.ini" preset the
// controls, then notifications, the status line, the presence check and the
// remembered paths.
#include "config/private_profile.h"
#include "seams/profile_store.h"
#include "seams/small_file.h"
#include "app/image_burner_controller.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {


// The list entry at `index`; one outside the list selects none.
template <std::size_t N>
int listIndex(std::uint32_t index, const char* const (&)[N]) {
    return index < N ? static_cast<int>(index) : -1;
}

template <std::size_t N>
std::string listText(int index, const char* const (&entries)[N]) {
    return index < 0 ? "" : entries[index];
}

// Files saved by editors that put a UTF-8 byte-order mark first lose their first
// section, as on Windows (configurations written for it rely on that reading);
// the user is told which section is lost.
std::string hiddenSectionWarning(const std::string& iniPath, const std::string& section) {
    return iniPath + " starts with a UTF-8 byte-order mark: section [" + section +
           "] is not read and its keys take their defaults. Save the file without the mark.";
}

// A configuration larger than any real one is not read at all (see
// PrivateProfile::load); every setting then takes its default.
bool isOversized(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return !error && size > kLargestProfileBytes;
}

std::string oversizedWarning(const std::string& iniPath) {
    return iniPath + " is larger than 1 MiB and is not read: every setting takes its default.";
}

}  // namespace

bool CImageBurnerDlg::startUp(DialogValues& view) {
    ListSelections selected;
    return startUp(view, selected);
}

bool CImageBurnerDlg::startUp(DialogValues& view, ListSelections& selected) {
    view = exchangeToView();
    m_iniPath = utf8FromPath(configurationPath());
    const auto ini = PrivateProfile::load(configurationPath()).value_or(PrivateProfile{});
    const std::uint32_t freezeUi = ini.readInt("UI_SETTING", "FreezeUI", 0);
    const std::uint32_t media = ini.readInt("UI_SETTING", "Media", 2);
    const std::uint32_t numberOfFirmware = ini.readInt("UI_SETTING", "NumberOfFirmware", 2);
    m_configUserArea = static_cast<std::int32_t>(ini.readInt("UI_SETTING", "ConfigUserArea", 1));
    m_mbrSector = ini.readInt("DEFAULT_FW", "MBR", 0);

    view.configUserArea = m_configUserArea != 0 ? 1 : 0;
    selected.storage = listIndex(media, kStorageNames);
    selected.firmwareNumber = listIndex(numberOfFirmware - 1, kFirmwareNumbers);  // 0 wraps: no selection
    view.storageName = listText(selected.storage, kStorageNames);
    view.firmwareNumber = listText(selected.firmwareNumber, kFirmwareNumbers);
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
    // After the presence check, so that the presence stands beside the warnings.
    if (isOversized(configurationPath())) m_env.ui.showWarning(oversizedWarning(m_iniPath));
    if (const auto& hidden = ini.sectionHiddenByByteOrderMark())
        m_env.ui.showWarning(hiddenSectionWarning(m_iniPath, *hidden));

    if (auto raw = m_env.profile.read(kProfileSection, "raw_path"); !raw.empty()) view.rawPath = raw;
    if (auto bin = m_env.profile.read(kProfileSection, "bin_path"); !bin.empty()) view.binPath = bin;
    m_rawPathEdit = view.rawPath;
    m_binPathEdit = view.binPath;
    return true;
}

}  // namespace ib
