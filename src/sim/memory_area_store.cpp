// An area in memory. See memory_area_store.h.
#include "sim/memory_area_store.h"

#include <algorithm>
#include <limits>

namespace ib::sim {
namespace {

constexpr std::uint64_t kChunkBytes = 65536;

// Calls `visit(chunkIndex, offsetInChunk, length, positionInRange)` for each
// chunk piece of [offset, offset + length).
template <typename Visit>
void forEachChunkPiece(std::uint64_t offset, std::uint64_t length, Visit visit) {
    std::uint64_t done = 0;
    while (done < length) {
        const std::uint64_t at = offset + done;
        const std::uint64_t inChunk = at % kChunkBytes;
        const std::uint64_t piece = std::min(length - done, kChunkBytes - inChunk);
        visit(at / kChunkBytes, inChunk, piece, done);
        done += piece;
    }
}

}  // namespace

bool MemoryAreaStore::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    forEachChunkPiece(offset, out.size(),
                      [&](std::uint64_t chunk, std::uint64_t at, std::uint64_t n, std::uint64_t pos) {
                          const auto it = m_chunks.find(chunk);
                          if (it == m_chunks.end())
                              std::fill_n(out.begin() + pos, n, std::uint8_t{0});
                          else
                              std::copy_n(it->second.begin() + at, n, out.begin() + pos);
                      });
    return true;
}

bool MemoryAreaStore::write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    forEachChunkPiece(offset, bytes.size(),
                      [&](std::uint64_t chunk, std::uint64_t at, std::uint64_t n, std::uint64_t pos) {
                          auto& stored = m_chunks[chunk];
                          if (stored.empty()) stored.assign(kChunkBytes, 0);
                          std::copy_n(bytes.begin() + pos, n, stored.begin() + at);
                      });
    return true;
}

bool MemoryAreaStore::zero(std::uint64_t offset, std::uint64_t length) {
    length = std::min(length, std::numeric_limits<std::uint64_t>::max() - offset);
    const std::uint64_t end = offset + length;
    for (auto it = m_chunks.lower_bound(offset / kChunkBytes); it != m_chunks.end();) {
        const std::uint64_t chunkStart = it->first * kChunkBytes;
        if (chunkStart >= end) break;
        const std::uint64_t from = std::max(offset, chunkStart) - chunkStart;
        const std::uint64_t to = std::min(end, chunkStart + kChunkBytes) - chunkStart;
        if (from == 0 && to == kChunkBytes) {
            it = m_chunks.erase(it);
            continue;
        }
        std::fill(it->second.begin() + from, it->second.begin() + to, std::uint8_t{0});
        ++it;
    }
    return true;
}

bool MemoryAreaStore::discardFrom(std::uint64_t offset) {
    return zero(offset, std::numeric_limits<std::uint64_t>::max() - offset);
}

std::vector<ByteExtent> MemoryAreaStore::storedExtents() {
    std::vector<ByteExtent> extents;
    for (const auto& [chunk, bytes] : m_chunks) extents.push_back({chunk * kChunkBytes, kChunkBytes});
    return extents;
}

}  // namespace ib::sim
