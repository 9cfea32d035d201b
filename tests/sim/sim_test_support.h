// Helpers shared by the simulated recorder's tests: a temporary folder that
// cleans up after itself, vendor command blocks, byte patterns, and a bare
// recorder model to drive command by command.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "device/sector.h"
#include "device/vendor_command.h"
#include "seams/clock.h"
#include "sim/memory_backing.h"
#include "sim/recorder_model.h"
#include "support/temp_folder.h"

namespace ib::sim::test {

using TempDir = ib::test::TempFolder;

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A signed vendor block: code in byte 3, then `params` from byte 4.
inline Cdb16 vendorCdb(VendorCode code, std::initializer_list<std::uint8_t> params = {}) {
    Cdb16 cdb = vendorBlock(code);
    cdb[0] = 0xFA;
    cdb[1] = 0x55;
    cdb[2] = 0x66;
    std::size_t at = 4;
    for (std::uint8_t b : params) cdb[at++] = b;
    return cdb;
}

// Bytes that differ from sector to sector and from `seed` to `seed`.
inline std::vector<std::uint8_t> pattern(std::size_t sectors, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(sectors * kSectorSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 512);
    return bytes;
}

// A recorder model with in-memory storage, driven one block at a time.
struct ModelHarness {
    explicit ModelHarness(RecorderState state = {}) : model(std::move(state), {}, backing, clock) {}

    ScsiResponse run(std::span<const std::uint8_t> cdb, DataDirection direction, std::size_t length) {
        buffer.assign(length, 0);
        return model.execute({cdb, direction, buffer, length});
    }
    ScsiResponse runOut(std::span<const std::uint8_t> cdb, std::vector<std::uint8_t> data) {
        buffer = std::move(data);
        return model.execute({cdb, DataDirection::Out, buffer, buffer.size()});
    }

    ManualClock clock;
    MemoryBacking backing;
    RecorderModel model;
    std::vector<std::uint8_t> buffer;
};

// Sense key and additional sense code of a response, for compact expectations.
inline std::pair<int, int> senseOf(const ScsiResponse& r) { return {r.sense[2], r.sense[12]}; }

}  // namespace ib::sim::test
