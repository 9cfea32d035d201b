// The two "Browse..." choosers: the raw image to write and the SD image to
// create. A chosen path is remembered in the user profile.
#include "update/image_burner_controller.h"

namespace ib {
namespace {

constexpr const char* kProfileSection = "QUBImageBurner";

}  // namespace

bool CImageBurnerDlg::browseFile(bool save, std::string& field, const char* profileKey) {
    FileChooserRequest request;
    request.save = save;
    request.title = save ? "Save Bin File" : "Open RAW File";
    request.filter = save ? "Bin Files (*.bin)|*.bin||" : "RAW Files (*.bin)|*.bin|All Files (*.*)|*.*||";
    request.overwritePrompt = true;
    const auto chosen = m_env.ui.chooseFile(request);
    if (!chosen) return false;
    if (!m_env.profile.write(kProfileSection, profileKey, *chosen))
        messageBox("Cannot remember the path in the user profile.", MessageBoxKind::Application);
    field = *chosen;
    m_env.ui.showValues(exchangeToView());
    return true;
}

bool CImageBurnerDlg::browseRawFile() { return browseFile(false, m_rawPathEdit, "raw_path"); }

bool CImageBurnerDlg::browseBinFile() { return browseFile(true, m_binPathEdit, "bin_path"); }

}  // namespace ib
