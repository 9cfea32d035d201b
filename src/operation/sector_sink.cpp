// The two sector sinks. See sector_sink.h.
#include "operation/sector_sink.h"

#include "device/sector.h"
#include "operation/image_file_writes.h"

namespace ib {

bool DeviceSectorSink::write(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                             const std::function<void()>& showProgress) {
    showProgress();
    // Sector numbers on the wire are 32-bit; the set and plan checks keep every piece inside them.
    return m_cmd.WriteSectors(static_cast<std::uint32_t>(firstSector),
                              static_cast<std::uint32_t>(sectors.size() / kSectorSize), sectors) != 0;
}

bool ImageFileSink::write(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                          const std::function<void()>& showProgress) {
    if (!writeAt(m_image, firstSector * kSectorSize, sectors)) return false;
    showProgress();
    return true;
}

void ImageFileSink::reportFailedWrite(OperationReporter& report) const {
    report.messageBox("Error : cannot write the image file (disk full?)");
}

}  // namespace ib
