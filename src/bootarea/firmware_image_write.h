// Writing one member of the firmware set, to the recorder or into an image
// file, in 64 KiB pieces.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "bootarea/firmware_set.h"
#include "operation/operation_reporter.h"
#include "operation/sector_sink.h"

namespace ib {

// The piece size of image writes, and the size of the buffer they take.
inline constexpr std::uint32_t kImagePieceBytes = 65536;

// Writes the member's image from `firstSector` on. `showPiece` gets, for each
// piece, the bytes of this image written before it (the sink decides when).
// Bytes of the last sector past the file's end are 0xFF. With
// `recordDigests`, the member remembers a digest of every sector written, for
// the burn's verification. false when the file ended early or a write failed.
[[nodiscard]] bool writeImage(OperationReporter& report, SectorSink& sink, FirmwareMember& member,
                              std::uint32_t firstSector, std::vector<std::uint8_t>& buffer,
                              const std::function<void(std::uint64_t done)>& showPiece, bool recordDigests);

}  // namespace ib
