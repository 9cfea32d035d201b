// The recorder's vendor command blocks: 16 bytes starting FA 55 66, the command
// code in byte 3, big-endian parameters from byte 4. Shared by the host side
// (which builds them) and the simulated recorder (which parses them).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ib {

using Cdb16 = std::array<std::uint8_t, 16>;

inline constexpr std::uint8_t kVendorSignature[3] = {0xFA, 0x55, 0x66};

enum class VendorCode : std::uint8_t {
    Identify = 0x01,
    Download = 0x02,
    StartDownloaded = 0x03,
    ReadRegister = 0x04,
    WriteRegister = 0x05,
    SelectStorage = 0x06,
    ReadSectors = 0x07,
    WriteSectors = 0x08,
    SetBootSize = 0x09,
    FormatUserArea = 0x0A,
    LowLevelFormat = 0x0D,
    EndSession = 0xDD,
};

// The operation name of a code ("WriteSectors"), null for a code that is none of the set.
inline const char* vendorCommandName(std::uint8_t code) {
    switch (static_cast<VendorCode>(code)) {
    case VendorCode::Identify: return "Identify";
    case VendorCode::Download: return "Download";
    case VendorCode::StartDownloaded: return "StartDownloaded";
    case VendorCode::ReadRegister: return "ReadRegister";
    case VendorCode::WriteRegister: return "WriteRegister";
    case VendorCode::SelectStorage: return "SelectStorage";
    case VendorCode::ReadSectors: return "ReadSectors";
    case VendorCode::WriteSectors: return "WriteSectors";
    case VendorCode::SetBootSize: return "SetBootSize";
    case VendorCode::FormatUserArea: return "FormatUserArea";
    case VendorCode::LowLevelFormat: return "LowLevelFormat";
    case VendorCode::EndSession: return "EndSession";
    }
    return nullptr;
}

// A zeroed block with the command code in byte 3; the signature is added when sent.
inline Cdb16 vendorBlock(VendorCode code) {
    Cdb16 cdb{};
    cdb[3] = static_cast<std::uint8_t>(code);
    return cdb;
}

inline void putBigEndian16(Cdb16& cdb, std::size_t at, std::uint16_t v) {
    cdb[at] = static_cast<std::uint8_t>(v >> 8);
    cdb[at + 1] = static_cast<std::uint8_t>(v);
}

inline void putBigEndian32(Cdb16& cdb, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) cdb[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

inline std::uint16_t bigEndian16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

inline std::uint32_t bigEndian32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 |
           std::uint32_t{b[at + 3]};
}

inline std::uint32_t littleEndian32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

inline void putLittleEndian32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline bool hasVendorSignature(std::span<const std::uint8_t> cdb) {
    return cdb.size() == 16 && cdb[0] == 0xFA && cdb[1] == 0x55 && cdb[2] == 0x66;
}

}  // namespace ib
