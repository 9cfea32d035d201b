// The sequential volume writer. See volume_writer.h.
#include "tools/fat/volume_writer.h"

#include <algorithm>
#include <fstream>
#include <variant>
#include <vector>

#include "tools/fat/boot_sector.h"
#include "tools/fat/directory_listing.h"
#include "tools/fat/fat_table.h"
#include "tools/tool_failure.h"

namespace ib::tools::fat {
namespace {

// File contents pass through a buffer of this size.
constexpr std::size_t kCopyChunkBytes = 1024 * 1024;
constexpr std::uint32_t kNoFreeClusterKnown = 0xFFFFFFFF;

constexpr std::uint64_t sectorOffset(std::uint64_t sector) { return sector * kSectorBytes; }

// The sink with the position reached, so each region can be padded to its end.
class Cursor final : public ImageSink {
public:
    explicit Cursor(ImageSink& sink) : m_sink(sink) {}

    void write(std::span<const std::uint8_t> bytes) override {
        m_sink.write(bytes);
        m_position += bytes.size();
    }
    void skipZeros(std::uint64_t count) override {
        m_sink.skipZeros(count);
        m_position += count;
    }
    void overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        m_sink.overwrite(offset, bytes);
    }
    // Zeros up to `offset`, which the writer never passes before reaching it.
    void padTo(std::uint64_t offset) { skipZeros(offset - m_position); }
    std::uint64_t position() const { return m_position; }

private:
    ImageSink& m_sink;
    std::uint64_t m_position = 0;
};

class VolumeWriter {
public:
    VolumeWriter(const VolumeLayout& layout, const VolumeIdentity& identity, ImageSink& sink)
        : m_layout(layout),
          m_geometry(layout.geometry),
          m_identity(identity),
          m_cursor(sink),
          m_contentSerial(*layout.root, identity.label, layout.geometry.totalSectors) {}

    void write() {
        // A serial derived from the content is known only once every file has been read:
        // the boot sectors carry a placeholder until then.
        writeReservedSectors(bootSector(m_geometry, m_identity, m_identity.serial.value_or(0)));
        writeFats();
        if (m_layout.rootRegion) writeDirectory(*m_layout.rootRegion, sectorOffset(m_geometry.rootSectors()));
        for (const Extent& extent : m_layout.extents) {
            std::visit([this](const auto& plan) { writeExtent(plan); }, extent);
        }
        m_cursor.padTo(sectorOffset(m_geometry.totalSectors));
        if (!m_identity.serial) rewriteBootSectors(bootSector(m_geometry, m_identity, m_contentSerial.value()));
    }

private:
    void writeReservedSectors(const Sector& boot) {
        m_cursor.write(boot);
        if (m_geometry.type == FatType::Fat32) {
            const std::uint32_t freeClusters = m_geometry.clusterCount - m_layout.usedClusters;
            const std::uint32_t nextFree =
                freeClusters == 0 ? kNoFreeClusterKnown : kFirstDataCluster + m_layout.usedClusters;
            const Sector fsInfo = fsInfoSector(freeClusters, nextFree);
            m_cursor.write(fsInfo);
            m_cursor.padTo(sectorOffset(kBackupBootSector));
            m_cursor.write(boot);
            m_cursor.write(fsInfo);
        }
        m_cursor.padTo(sectorOffset(m_geometry.reservedSectors));
    }

    void rewriteBootSectors(const Sector& boot) {
        m_cursor.overwrite(0, boot);
        if (m_geometry.type == FatType::Fat32) m_cursor.overwrite(sectorOffset(kBackupBootSector), boot);
    }

    void writeFats() {
        std::vector<ClusterRun> chains;
        for (const Extent& extent : m_layout.extents) {
            std::visit([&](const auto& plan) { chains.push_back({plan.firstCluster, plan.clusterCount}); }, extent);
        }
        for (std::uint32_t copy = 0; copy < kFatCopies; ++copy) writeFatTable(m_geometry, chains, m_cursor);
    }

    void writeDirectory(const DirectoryPlan& directory, std::uint64_t regionBytes) {
        const std::uint64_t end = m_cursor.position() + regionBytes;
        m_cursor.write(directoryRecords(directory, m_identity));
        m_cursor.padTo(end);
    }

    void writeExtent(const DirectoryPlan& directory) {
        writeDirectory(directory, clusterBytes(directory.clusterCount));
    }

    void writeExtent(const FilePlan& plan) {
        const FolderEntry& file = *plan.file;
        const std::uint64_t end = m_cursor.position() + clusterBytes(plan.clusterCount);
        std::ifstream in(file.source, std::ios::binary);
        if (!in) throw ToolFailure("cannot read " + quoted(file.source));
        m_buffer.resize(kCopyChunkBytes);
        for (std::uint64_t left = file.size; left > 0;) {
            const auto chunk = static_cast<std::streamsize>(std::min<std::uint64_t>(left, m_buffer.size()));
            in.read(reinterpret_cast<char*>(m_buffer.data()), chunk);
            if (in.gcount() != chunk) throw changedWhilePacked(file);
            const auto bytes = std::span(m_buffer).first(static_cast<std::size_t>(chunk));
            m_contentSerial.addFileBytes(bytes);
            m_cursor.write(bytes);
            left -= static_cast<std::uint64_t>(chunk);
        }
        if (in.peek() != std::ifstream::traits_type::eof()) throw changedWhilePacked(file);
        m_cursor.padTo(end);
    }

    static ToolFailure changedWhilePacked(const FolderEntry& file) {
        return ToolFailure(quoted(file.source) + " changed its size while it was packed");
    }

    std::uint64_t clusterBytes(std::uint32_t clusters) const {
        return std::uint64_t{clusters} * m_geometry.clusterBytes();
    }

    const VolumeLayout& m_layout;
    const VolumeGeometry& m_geometry;
    const VolumeIdentity& m_identity;
    Cursor m_cursor;
    ContentSerial m_contentSerial;
    std::vector<std::uint8_t> m_buffer;
};

}  // namespace

void writeVolume(const VolumeLayout& layout, const VolumeIdentity& identity, ImageSink& sink) {
    VolumeWriter(layout, identity, sink).write();
}

}  // namespace ib::tools::fat
