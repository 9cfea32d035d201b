// Simulator-backed controller rig. See sim_rig.h.
#include "support/sim_rig.h"

#include "device/vendor_command.h"

namespace ib::test {

SimRig::SimRig(SimRigOptions options) {
    sim::RecorderState state;
    state.mode = options.mode;
    if (options.areaSectors) state.areaSectors = *options.areaSectors;
    sim = sim::Simulator::inMemory(state, options.simClock ? *options.simClock : clock);
    rig = std::make_unique<ControllerRig>(sim->volumes(), options.withEvents ? &sim->enumerator() : nullptr,
                                          options.withEvents ? &sim->events() : nullptr, &clock);
    controller = rig->controller.get();
}

std::vector<std::uint8_t> SimRig::area(std::uint8_t type, std::uint8_t areaIndex, std::uint64_t first,
                                       std::uint64_t count) {
    return sim->readArea(sim::AreaId{type, areaIndex}, first, count);
}

std::vector<std::uint8_t> SimRig::vendorCodes() {
    std::vector<std::uint8_t> codes;
    for (const auto& line : sim->commandLog())
        if (line.rfind("fa5566", 0) == 0) codes.push_back(static_cast<std::uint8_t>(std::stoul(line.substr(6, 2), nullptr, 16)));
    return codes;
}

bool changesRecorder(std::uint8_t vendorCode) {
    switch (static_cast<VendorCode>(vendorCode)) {
        case VendorCode::WriteRegister:
        case VendorCode::WriteSectors:
        case VendorCode::SetBootSize:
        case VendorCode::FormatUserArea:
        case VendorCode::LowLevelFormat: return true;
        default: return false;
    }
}

std::string patternBytes(std::size_t n, unsigned seed) {
    std::string bytes(n, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    return bytes;
}

}  // namespace ib::test
