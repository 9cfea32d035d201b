// An area kept in memory as 64 KiB chunks created on first write, for unit
// tests: a multi-gigabyte area costs only the chunks that were written.
#pragma once

#include <map>

#include "sim/area_store.h"

namespace ib::sim {

class MemoryAreaStore final : public AreaStore {
public:
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override;
    bool write(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    bool zero(std::uint64_t offset, std::uint64_t length) override;
    bool discardFrom(std::uint64_t offset) override;
    std::vector<ByteExtent> storedExtents() override;

private:
    std::map<std::uint64_t, std::vector<std::uint8_t>> m_chunks;  // chunk index -> bytes
};

}  // namespace ib::sim
