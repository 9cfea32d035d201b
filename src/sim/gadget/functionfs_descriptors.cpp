// FunctionFS descriptor and string blobs. See functionfs_descriptors.h.
#include "sim/gadget/functionfs_descriptors.h"

#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <string_view>

namespace ib::sim::gadget {
namespace {

constexpr std::string_view kInterfaceName = "Mass Storage";
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;
constexpr std::uint8_t kBulkInAddress = 1 | USB_DIR_IN;
constexpr std::uint8_t kBulkOutAddress = 2 | USB_DIR_OUT;

class LittleEndianWriter {
public:
    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void text(std::string_view s) {
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        u8(0);
    }
    // Puts the total length into the header's second word.
    std::vector<std::uint8_t> finish() {
        const auto length = static_cast<std::uint32_t>(m_bytes.size());
        for (int i = 0; i < 4; ++i) m_bytes[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        return std::move(m_bytes);
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

void interfaceWithEndpoints(LittleEndianWriter& w, std::uint16_t maxPacket) {
    w.u8(USB_DT_INTERFACE_SIZE);
    w.u8(USB_DT_INTERFACE);
    w.u8(0);  // interface number, renumbered by the composite driver
    w.u8(0);  // alternate setting
    w.u8(2);  // endpoints
    w.u8(kMassStorageClass);
    w.u8(kScsiTransparentSubclass);
    w.u8(kBulkOnlyProtocol);
    w.u8(1);  // iInterface: the first string of the table
    for (const std::uint8_t address : {kBulkInAddress, kBulkOutAddress}) {
        w.u8(USB_DT_ENDPOINT_SIZE);
        w.u8(USB_DT_ENDPOINT);
        w.u8(address);
        w.u8(USB_ENDPOINT_XFER_BULK);
        w.u16(maxPacket);
        w.u8(0);  // bInterval: no NAK rate limit at high speed, unused at full speed
    }
}

}  // namespace

std::vector<std::uint8_t> functionFsDescriptors() {
    constexpr std::uint32_t kDescriptorsPerSpeed = 3;  // interface and two endpoints
    LittleEndianWriter w;
    w.u32(FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
    w.u32(0);  // total length, filled in by finish()
    w.u32(FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
    w.u32(kDescriptorsPerSpeed);  // full-speed count
    w.u32(kDescriptorsPerSpeed);  // high-speed count
    interfaceWithEndpoints(w, kFullSpeedBulkPacket);
    interfaceWithEndpoints(w, kHighSpeedBulkPacket);
    return w.finish();
}

std::vector<std::uint8_t> functionFsStrings() {
    LittleEndianWriter w;
    w.u32(FUNCTIONFS_STRINGS_MAGIC);
    w.u32(0);  // total length, filled in by finish()
    w.u32(1);  // strings per language
    w.u32(1);  // languages
    w.u16(kLanguageEnglishUs);
    w.text(kInterfaceName);
    return w.finish();
}

}  // namespace ib::sim::gadget
