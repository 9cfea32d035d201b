// Defaults and names for the simulated recorder's state. See recorder_state.h.
#include "sim/recorder_state.h"

namespace ib::sim {

AreaSizes uniformAreaSizes(std::uint32_t userSectors, std::uint32_t bootSectors) {
    AreaSizes sizes{};
    for (auto& type : sizes) {
        type[kUserAreaIndex] = userSectors;
        type[kBootAreaIndex] = bootSectors;
    }
    return sizes;
}

AreaSizes defaultAreaSizes() {
    AreaSizes sizes = uniformAreaSizes(kDefaultUserSectors, kDefaultBootSectors);
    sizes[kSerialFlash][kUserAreaIndex] = kDefaultSerialFlashSectors;
    return sizes;
}

std::string storageTypeName(std::uint8_t type) {
    static const char* const kNames[kStorageTypeCount] = {"moviNAND", "eSD", "eMMC", "SIF", "NAND"};
    if (type < kStorageTypeCount) return kNames[type];
    return "type " + std::to_string(type);
}

bool restartingAt(const RecorderState& state, std::int64_t nowMs) {
    if (!state.awayUntilMs) return false;
    const std::int64_t due = *state.awayUntilMs - nowMs;
    return state.faults.staysAway || (due > 0 && due <= state.restartDelayMs);
}

}  // namespace ib::sim
