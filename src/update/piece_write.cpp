// One piece of a firmware image or a partition's content, written to the
// recorder or into an image file, with its progress shown where each face
// of the operation shows it.
#include "update/image_burner_controller.h"
#include "userarea/image_file_writes.h"

namespace ib {

bool CImageBurnerDlg::writePiece(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                                 std::fstream* image, const std::function<void()>& showProgress) {
    if (image) {
        // Into a file the progress follows the write: it counts what the file holds.
        if (!writeAt(*image, firstSector * kSectorSize, sectors)) return false;
        showProgress();
        return true;
    }
    // To the recorder the progress comes first, so it is on screen while the command runs.
    showProgress();
    // Sector numbers on the wire are 32-bit; the set and plan checks keep every piece inside them.
    return m_cmd->WriteSectors(static_cast<std::uint32_t>(firstSector),
                               static_cast<std::uint32_t>(sectors.size() / kSectorSize), sectors) != 0;
}

}  // namespace ib
