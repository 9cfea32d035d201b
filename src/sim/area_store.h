// The bytes of one storage area of the simulated recorder, sparse: bytes never
// written read 0 and cost nothing, so a 3.7 GB area is cheap. Kept in memory
// for unit tests or in a sparse image file of a state folder.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ib::sim {

struct ByteExtent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct SectorRange {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
    bool operator==(const SectorRange&) const = default;
};

class AreaStore {
public:
    virtual ~AreaStore() = default;
    // Fills `out` from `offset`; never-written bytes read 0. False on an I/O error.
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    // False on an I/O error.
    virtual bool write(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    // Makes the range read 0 again without storing zeros where possible.
    virtual bool zero(std::uint64_t offset, std::uint64_t length) = 0;
    // Makes everything from `offset` on read 0 again (offset 0: erase all).
    virtual bool discardFrom(std::uint64_t offset) = 0;
    // The ranges that may hold non-zero bytes, in ascending order; all other bytes are 0.
    virtual std::vector<ByteExtent> storedExtents() = 0;
};

// The 512-byte sectors holding at least one non-zero byte, as merged ranges in
// ascending order. Reads only what the store keeps.
std::vector<SectorRange> sectorsWithData(AreaStore& store);

}  // namespace ib::sim
