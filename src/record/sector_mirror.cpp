// Sectors written during a replay. See sector_mirror.h.
#include "record/sector_mirror.h"

#include <algorithm>

#include "device/vendor_command.h"

namespace ib::record {
namespace {

bool isVendor(std::span<const std::uint8_t> cdb, VendorCode code) {
    return hasVendorSignature(cdb) && cdb[3] == static_cast<std::uint8_t>(code);
}

}  // namespace

void SectorMirror::noteSent(const ScsiRequest& request) {
    if (isVendor(request.cdb, VendorCode::SelectStorage)) {
        m_storageType = request.cdb[4];
        m_area = request.cdb[5];
        return;
    }
    if (!isVendor(request.cdb, VendorCode::WriteSectors) || request.direction != DataDirection::Out) return;
    const std::uint32_t first = bigEndian32(request.cdb, 4);
    const std::size_t count = request.data.size() / Sector{}.size();
    for (std::size_t i = 0; i < count; ++i) {
        Sector& sector = m_sectors[{m_storageType, m_area, static_cast<std::uint32_t>(first + i)}];
        std::copy_n(request.data.begin() + static_cast<std::ptrdiff_t>(i * sector.size()), sector.size(),
                    sector.begin());
    }
}

std::optional<std::vector<std::uint8_t>> SectorMirror::sectorsRead(const ScsiRequest& request) const {
    if (!isVendor(request.cdb, VendorCode::ReadSectors)) return std::nullopt;
    const std::uint32_t first = bigEndian32(request.cdb, 4);
    std::vector<std::uint8_t> bytes(request.data.size(), 0);
    for (std::size_t at = 0; at + Sector{}.size() <= bytes.size(); at += Sector{}.size()) {
        const auto found = m_sectors.find({m_storageType, m_area, static_cast<std::uint32_t>(first + at / 512)});
        if (found != m_sectors.end())
            std::copy(found->second.begin(), found->second.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return bytes;
}

}  // namespace ib::record
