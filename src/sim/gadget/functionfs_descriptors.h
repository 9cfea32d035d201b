// What the gadget writes to FunctionFS's ep0 before it can be bound: one mass-storage
// interface (class 08, subclass 06, Bulk-Only protocol 50) with bulk-in (ep1) and
// bulk-out (ep2) at full and high speed, and its string table.
#pragma once

#include <cstdint>
#include <vector>

namespace ib::sim::gadget {

inline constexpr std::uint8_t kMassStorageClass = 0x08;
inline constexpr std::uint8_t kScsiTransparentSubclass = 0x06;
inline constexpr std::uint8_t kBulkOnlyProtocol = 0x50;
inline constexpr std::uint16_t kFullSpeedBulkPacket = 64;
inline constexpr std::uint16_t kHighSpeedBulkPacket = 512;
inline constexpr const char* kBulkInEndpointFile = "ep1";
inline constexpr const char* kBulkOutEndpointFile = "ep2";

std::vector<std::uint8_t> functionFsDescriptors();
std::vector<std::uint8_t> functionFsStrings();

}  // namespace ib::sim::gadget
