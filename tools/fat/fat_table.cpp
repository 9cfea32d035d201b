// Streaming FAT12/16/32 table. See fat_table.h.
#include "tools/fat/fat_table.h"

#include <vector>

#include "tools/fat/boot_sector.h"

namespace ib::tools::fat {
namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

std::uint32_t entryMask(FatType type) {
    switch (type) {
        case FatType::Fat12: return 0xFFF;
        case FatType::Fat16: return 0xFFFF;
        case FatType::Fat32: break;
    }
    return 0x0FFFFFFF;
}

// Packs entries into bytes (FAT12: two entries in three bytes) and hands them to the
// sink a chunk at a time.
class EntryStream {
public:
    EntryStream(FatType type, ImageSink& sink) : m_type(type), m_sink(sink) { m_bytes.reserve(kChunkBytes + 4); }

    void append(std::uint32_t entry) {
        switch (m_type) {
            case FatType::Fat12:
                if (m_count % 2 == 0) {
                    m_bytes.push_back(static_cast<std::uint8_t>(entry));
                    m_bytes.push_back(static_cast<std::uint8_t>(entry >> 8 & 0x0F));
                } else {
                    m_bytes.back() |= static_cast<std::uint8_t>(entry << 4);
                    m_bytes.push_back(static_cast<std::uint8_t>(entry >> 4));
                }
                break;
            case FatType::Fat16: appendBytes(entry, 2); break;
            case FatType::Fat32: appendBytes(entry, 4); break;
        }
        // A FAT12 pair shares a byte, so chunks end after whole pairs only.
        if (++m_count % 2 == 0 && m_bytes.size() >= kChunkBytes) flush();
    }

    // Hands over what is left; returns the bytes written in all.
    std::uint64_t finish() {
        flush();
        return m_written;
    }

private:
    void appendBytes(std::uint32_t entry, int count) {
        for (int i = 0; i < count; ++i) m_bytes.push_back(static_cast<std::uint8_t>(entry >> (8 * i)));
    }

    void flush() {
        m_sink.write(m_bytes);
        m_written += m_bytes.size();
        m_bytes.clear();
    }

    FatType m_type;
    ImageSink& m_sink;
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_count = 0;
    std::uint64_t m_written = 0;
};

}  // namespace

void writeFatTable(const VolumeGeometry& geometry, std::span<const ClusterRun> chains, ImageSink& sink) {
    const std::uint32_t endOfChain = entryMask(geometry.type);
    EntryStream entries(geometry.type, sink);
    // Entry 0 repeats the media byte; entry 1 is an end-of-chain mark with the
    // "cleanly unmounted" and "no disk errors" bits set.
    entries.append(endOfChain & (0xFFFFFF00u | kMediaDescriptor));
    entries.append(endOfChain);
    for (const ClusterRun& chain : chains) {
        for (std::uint32_t i = 1; i < chain.count; ++i) entries.append(chain.first + i);
        entries.append(endOfChain);
    }
    const std::uint64_t written = entries.finish();
    sink.skipZeros(std::uint64_t{geometry.sectorsPerFat} * kSectorBytes - written);
}

}  // namespace ib::tools::fat
