// The table of vendor command shapes. See vendor_command_rules.h.
#include "sim/vendor_command_rules.h"

#include <algorithm>
#include <array>

#include "device/sector.h"

namespace ib::sim {
namespace {

constexpr auto None = DataDirection::None;
constexpr auto In = DataDirection::In;
constexpr auto Out = DataDirection::Out;

// code, first reserved byte, direction, fixed length, sector count at, boot ROM, updater
const std::array<VendorCommandRule, 12> kRules = {{
    {VendorCode::Identify, 4, In, 16, std::nullopt, true, true},
    {VendorCode::Download, 6, Out, 0, 4, true, false},
    {VendorCode::StartDownloaded, 4, None, 0, std::nullopt, true, false},
    {VendorCode::ReadRegister, 8, In, 1, std::nullopt, true, true},
    {VendorCode::WriteRegister, 9, None, 0, std::nullopt, true, true},
    {VendorCode::SelectStorage, 6, In, 4, std::nullopt, false, true},
    {VendorCode::ReadSectors, 10, In, 0, 8, false, true},
    {VendorCode::WriteSectors, 10, Out, 0, 8, false, true},
    {VendorCode::SetBootSize, 8, None, 0, std::nullopt, false, true},
    {VendorCode::FormatUserArea, 4, None, 0, std::nullopt, false, true},
    {VendorCode::LowLevelFormat, 4, None, 0, std::nullopt, false, true},
    {VendorCode::EndSession, 4, None, 0, std::nullopt, false, true},
}};

}  // namespace

const VendorCommandRule* findVendorRule(std::uint8_t code) {
    const auto it = std::find_if(kRules.begin(), kRules.end(), [code](const auto& rule) {
        return static_cast<std::uint8_t>(rule.code) == code;
    });
    return it == kRules.end() ? nullptr : &*it;
}

std::size_t expectedDataLength(const VendorCommandRule& rule, std::span<const std::uint8_t> cdb) {
    if (rule.sectorCountAt) return std::size_t{bigEndian16(cdb, *rule.sectorCountAt)} * kSectorSize;
    return rule.fixedLength;
}

std::optional<Refusal> checkVendorShape(const VendorCommandRule& rule, const ScsiCommand& command) {
    const auto reserved = command.cdb.subspan(rule.firstReservedByte);
    if (std::any_of(reserved.begin(), reserved.end(), [](std::uint8_t b) { return b != 0; }))
        return refusal::kInvalidFieldInCdb;

    const std::size_t length = expectedDataLength(rule, command.cdb);
    // Every data phase fits the host's 64 KiB transfer area (128 sectors).
    if (length > kMaxTransferBytes) return refusal::kInvalidFieldInCdb;
    const DataDirection direction = length == 0 ? DataDirection::None : rule.direction;
    if (command.direction != direction || command.dataLength != length || command.data.size() < length)
        return refusal::kDataPhaseError;
    return std::nullopt;
}

}  // namespace ib::sim
