// "Raw Write": a file copied byte for byte to the serial flash from sector 0,
// in 4 KiB pieces, without firmware-set rules or index table.
#include <algorithm>
#include <vector>

#include "device/input_file.h"
#include "device/sector.h"
#include "update/image_burner_controller.h"
#include "update/status_texts.h"

namespace ib {
namespace {

constexpr std::size_t kPieceBytes = 4096;

}  // namespace

std::uint32_t CImageBurnerDlg::rawWrite() {
    if (m_rawPathEdit.empty()) browseRawFile();
    const std::string path = m_rawPathEdit;
    if (!openRecorder({})) return 0;
    m_env.clock.sleepMs(2000);
    if (m_cmd->GetMode() == kModeBootRom) {
        setProgress(text::kDownloadAgent, 100, kBlue, kBlack);
        if (!DownloadUpdater(100)) {
            messageBox("Error 0x03: Download updater.bin error !");
            refreshDevicePresence();
            return 0;
        }
    }
    // Always the serial flash, whatever the storage box shows.
    m_isMoviNand = 0;
    m_storageType = 3;
    std::uint32_t areaSectors = 0;
    if (!m_cmd->SelectStorage(3, kUserArea, areaSectors)) {
        showStepMessage("Select Storage fail ...");
        return 0;
    }
    auto opened = openInputFile(path);
    if (!opened) {
        setProgress("Open File Error!", 100, kRed, kWhite);
        return 0;
    }
    std::ifstream& file = opened->stream;
    const std::uint64_t fileLength = opened->length;
    const std::uint64_t expected = fileLength / kSectorSize;
    setProgressTextColour(kBlack);
    enableOperationButtons(false);

    std::vector<std::uint8_t> buffer(kPieceBytes);
    std::uint64_t address = 0;
    bool failed = false;
    for (std::size_t n = kPieceBytes; n == kPieceBytes;) {
        file.read(reinterpret_cast<char*>(buffer.data()), kPieceBytes);
        n = static_cast<std::size_t>(file.gcount());
        if (n == 0) break;
        const auto sectors = static_cast<std::uint32_t>(sectorsFor(n));
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(n), buffer.begin() + sectors * kSectorSize,
                  std::uint8_t{0xFF});
        // The flash's size is a 32-bit sector count: it refuses a write long before the address could wrap.
        if (!m_cmd->WriteSectors(static_cast<std::uint32_t>(address), sectors, buffer)) {
            failed = true;
            break;
        }
        address += sectors;
        // A file shorter than one sector has nothing to divide by: its one piece is all of it.
        const std::uint64_t percent = expected ? address * 100 / expected : 100;
        setProgress("Write RAW...", static_cast<int>(std::min<std::uint64_t>(percent, 1000)), kBlue, kGrey);
        m_env.ui.transferProgress(std::min<std::uint64_t>(address * kSectorSize, fileLength), fileLength);
    }
    // Any failed write fails the run, also one in the last, partial piece.
    if (failed || address < expected)
        setProgress("FAILED", 100, kRed, kWhite);
    else
        setProgress("SUCCESS", 100, kGreen, kWhite);
    enableOperationButtons(true);
    return failed || address < expected ? 0 : 1;
}

}  // namespace ib
