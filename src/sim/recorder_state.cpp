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

}  // namespace ib::sim
