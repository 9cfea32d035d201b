// Loading the updater into a recorder that still runs its boot ROM, and the
// "Sync. Device" operation built on it.
#include <fstream>
#include <vector>

#include "device/image_header.h"
#include "device/sector.h"
#include "update/image_burner_controller.h"
#include "update/status_texts.h"

namespace ib {
namespace {

constexpr std::int64_t kReopenPauseMs = 500;

FileChooserRequest updaterChooser() {
    FileChooserRequest r;
    r.filter = "binary File (*.bin)|*.bin|All File(*.*)|*.*||";
    r.defaultExtension = "bin";
    r.allowMultiSelect = true;
    r.pathMustExist = true;
    return r;
}

}  // namespace

std::uint32_t CImageBurnerDlg::DownloadUpdater(int retries) {
    std::ifstream file(m_env.workingDirectory / "updater.bin", std::ios::binary);
    if (!file) {
        const auto chosen = m_env.ui.chooseFile(updaterChooser());
        if (!chosen) return 0;
        file.open(*chosen, std::ios::binary);
        if (!file) return 0;
    }
    file.seekg(0, std::ios::end);
    const auto fileLength = static_cast<std::uint64_t>(file.tellg());
    file.seekg(0);
    const bool header = HasImageHeader(file);
    file.seekg(header ? kImageHeaderSize : 0);
    const std::uint32_t length = imageLength(fileLength, header);

    const auto sectors = static_cast<std::uint32_t>(sectorsFor(length));
    std::vector<std::uint8_t> image(std::size_t{sectors} * kSectorSize, 0);
    file.read(reinterpret_cast<char*>(image.data()), length);
    if (static_cast<std::uint64_t>(file.gcount()) < length) return 0;
    file.close();

    if (!m_cmd->Download(sectors, image)) return 0;
    m_env.ui.transferProgress(image.size(), image.size());
    const bool started = m_cmd->StartDownloaded() != 0;
    m_cmd->Close();
    // A recorder that restarts at once can leave the bus before the start
    // command's call returns, and the call then fails although the updater
    // runs (Linux reports the detaching disk). Only a recorder that still
    // answers from its boot ROM has really refused to start.
    if (!started && m_cmd->Open() && m_cmd->GetMode() == kModeBootRom) return 0;
    setProgress(text::kWaitForRecorder, 100, kGrey, kBlack);

    // Synced means answering from the updater: a boot ROM that has not left
    // the bus yet is waited for like an absent recorder, and one that never
    // comes back is a failure, so callers never go on without the updater.
    for (int attempt = 0; attempt < retries; ++attempt) {
        if (m_cmd->Open() && m_cmd->GetMode() == kModeUpdater) return 1;
        m_env.clock.sleepMs(kReopenPauseMs);
    }
    return 0;
}

bool CImageBurnerDlg::syncIfInBootRom() {
    if (m_cmd->GetMode() != kModeBootRom) return true;
    showStepMessage("download the updater.bin .....");
    if (DownloadUpdater(100)) return true;
    messageBox("Error 0x03: Download updater.bin error !");
    refreshDevicePresence();
    return false;
}

std::uint32_t CImageBurnerDlg::SyncDevice() {
    enableOperationButtons(false);
    if (!openRecorder({}) || !syncIfInBootRom()) return 0;
    showStepMessage("Device Sync. success !!");
    enableOperationButtons(true);
    return 1;
}

}  // namespace ib
