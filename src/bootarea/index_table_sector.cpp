// Field access to the index table sector; every field is a little-endian word.
// Setters touch only their own bytes, so a read-modify-write keeps everything else.
#include "bootarea/index_table_sector.h"

#include <algorithm>
#include <stdexcept>

#include "device/vendor_command.h"

namespace ib {
namespace {

constexpr std::size_t kFirstMagicOffset = 0;
constexpr std::size_t kStorageMarkerOffset = 4;
constexpr std::size_t kCapacityOffset = 12;
constexpr std::size_t kFirstEntryOffset = 16;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kSecondMagicOffset = 508;

}  // namespace

IndexTableSector IndexTableSector::fromBytes(std::span<const std::uint8_t> bytes) {
    IndexTableSector sector;
    std::copy_n(bytes.begin(), std::min(bytes.size(), sector.m_bytes.size()), sector.m_bytes.begin());
    return sector;
}

IndexTableSector IndexTableSector::fresh() { return filledWith(0); }

IndexTableSector IndexTableSector::filledWith(std::uint8_t fill) {
    IndexTableSector sector;
    sector.m_bytes.fill(fill);
    sector.stampMagic();
    return sector;
}

bool IndexTableSector::hasMagic() const {
    return word(kFirstMagicOffset) == kIndexTableMagic && word(kSecondMagicOffset) == kIndexTableMagic;
}

void IndexTableSector::stampMagic() {
    setWord(kFirstMagicOffset, kIndexTableMagic);
    setWord(kSecondMagicOffset, kIndexTableMagic);
}

bool IndexTableSector::isBurnt() const { return hasMagic() && entry(0).sectorCount != 0; }

std::uint32_t IndexTableSector::storageMarker() const { return word(kStorageMarkerOffset); }
void IndexTableSector::setStorageMarker(std::uint32_t value) { setWord(kStorageMarkerOffset, value); }
std::uint32_t IndexTableSector::userAreaCapacity() const { return word(kCapacityOffset); }
void IndexTableSector::setUserAreaCapacity(std::uint32_t sectors) { setWord(kCapacityOffset, sectors); }

IndexTableEntry IndexTableSector::entry(std::size_t index) const {
    const std::size_t at = entryOffset(index);
    return {word(at), word(at + 4), word(at + 8), word(at + 12)};
}

void IndexTableSector::setEntry(std::size_t index, std::uint32_t startSector, std::uint32_t sectorCount,
                                std::uint32_t attributes) {
    const std::size_t at = entryOffset(index);
    setWord(at, startSector);
    setWord(at + 4, sectorCount);
    setWord(at + 8, attributes);
}

std::uint32_t IndexTableSector::word(std::size_t offset) const { return littleEndian32(m_bytes, offset); }
void IndexTableSector::setWord(std::size_t offset, std::uint32_t value) {
    putLittleEndian32(m_bytes, offset, value);
}

std::size_t IndexTableSector::entryOffset(std::size_t index) {
    if (index >= kIndexTableEntryCount) throw std::out_of_range("index table entry beyond entry 30");
    return kFirstEntryOffset + kEntrySize * index;
}

}  // namespace ib
