// The simulated recorder's command parser on arbitrary command streams: each
// command block, standard or vendor, with its data phase goes to an in-memory
// recorder model, which answers or refuses it and never delivers more bytes
// than the host asked for.
//
// Input: one set-up byte (bit 0: the recorder runs the updater, else its boot
// ROM; bit 1: areas of a few sectors, else the realistic sizes), then commands:
//   header byte: bits 0-3 block length - 1, bits 4-5 data direction (None, In,
//                Out; 3 reads as None), bits 6-7 the data length's bits 16-17;
//   the block; two bytes of data length (big-endian, bits 0-15);
//   for Out, the data (taken from the input as far as it goes, then zeros).
// Between commands the clock moves on half a second, so a restart completes.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "seams/clock.h"
#include "sim/memory_backing.h"
#include "sim/recorder_model.h"

namespace {

class InputReader {
public:
    explicit InputReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    bool empty() const { return m_at >= m_bytes.size(); }
    std::uint8_t byte() { return empty() ? 0 : m_bytes[m_at++]; }
    std::span<const std::uint8_t> take(std::size_t n) {
        const std::size_t available = std::min(n, m_bytes.size() - std::min(m_at, m_bytes.size()));
        const auto taken = m_bytes.subspan(std::min(m_at, m_bytes.size()), available);
        m_at += available;
        return taken;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

ib::sim::RecorderState initialState(std::uint8_t setUp) {
    ib::sim::RecorderState state;
    state.mode = (setUp & 1) ? ib::sim::RecorderMode::Updater : ib::sim::RecorderMode::BootRom;
    if (setUp & 2) state.areaSectors = ib::sim::uniformAreaSizes(64, 16);
    return state;
}

ib::DataDirection directionOf(std::uint8_t header) {
    switch ((header >> 4) & 3) {
    case 1:
        return ib::DataDirection::In;
    case 2:
        return ib::DataDirection::Out;
    default:
        return ib::DataDirection::None;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input({data, size});
    ib::ManualClock clock;
    ib::sim::MemoryBacking backing;
    ib::sim::RecorderModel model(initialState(input.byte()), {}, backing, clock);
    std::vector<std::uint8_t> block;
    std::vector<std::uint8_t> buffer;
    while (!input.empty()) {
        const std::uint8_t header = input.byte();
        const auto blockBytes = input.take((header & 0x0F) + 1u);
        block.assign(blockBytes.begin(), blockBytes.end());
        const std::size_t high = (header >> 6) & 3;
        const std::size_t length = high << 16 | std::size_t{input.byte()} << 8 | input.byte();
        const ib::DataDirection direction = directionOf(header);
        const std::size_t dataLength = direction == ib::DataDirection::None ? 0 : length;
        buffer.assign(dataLength, 0);
        if (direction == ib::DataDirection::Out) std::ranges::copy(input.take(dataLength), buffer.begin());

        const ib::sim::ScsiResponse response = model.execute({block, direction, buffer, dataLength});
        ib::fuzz::require(response.delivered <= dataLength, "no reply is longer than its data phase");
        ib::fuzz::require(response.good() || response.delivered == 0, "a refused command delivers nothing");
        clock.advanceMs(500);
        (void)model.onBus();
        (void)model.takeBusChanges();
    }
    return 0;
}
