// Writing one firmware member in pieces. See firmware_image_write.h.
#include "bootarea/firmware_image_write.h"

#include <algorithm>

#include "device/sector.h"

namespace ib {

bool writeImage(OperationReporter& report, SectorSink& sink, FirmwareMember& member, std::uint32_t firstSector,
                std::vector<std::uint8_t>& buffer, const std::function<void(std::uint64_t done)>& showPiece,
                bool recordDigests) {
    std::uint64_t sector = firstSector;
    std::uint64_t fileBytesLeft = member.fileImageBytes;
    member.written = {firstSector, {}};
    for (std::uint64_t done = 0; done < member.imageLength;) {
        const auto piece =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(member.imageLength - done, kImagePieceBytes));
        const auto fromFile = static_cast<std::uint32_t>(std::min<std::uint64_t>(piece, fileBytesLeft));
        // The tail of the last sector lies beyond the file; it is filled, never stale.
        std::fill(buffer.begin() + fromFile, buffer.begin() + piece, std::uint8_t{0xFF});
        member.file->read(reinterpret_cast<char*>(buffer.data()), fromFile);
        if (static_cast<std::uint32_t>(member.file->gcount()) != fromFile) return false;
        const auto progress = [&] {
            if (showPiece) showPiece(done);
        };
        if (!sink.write(sector, std::span(buffer).first(piece), progress)) return false;
        if (recordDigests) member.written.record(std::span(buffer).first(piece));
        fileBytesLeft -= fromFile;
        done += piece;
        sector += piece / kSectorSize;
        report.transferProgress(done, member.imageLength);
    }
    return true;
}

}  // namespace ib
