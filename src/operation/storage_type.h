// The recorder's storage types: the storage box's names and the codes the
// storage selection command carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ib {

enum class StorageType : std::uint8_t { MoviNand = 0, ESd = 1, EMmc = 2, SerialFlash = 3, Nand = 4 };

// The storage box's entries, in list order: entry i names StorageType i.
inline constexpr const char* kStorageNames[] = {"moviNAND", "eSD", "eMMC", "SIF", "NAND"};

// The type whose entry is exactly `name` (letter case counts); nullopt for any other text.
std::optional<StorageType> storageTypeNamed(std::string_view name);

// The code the recorder's storage selection takes for a type.
constexpr std::int32_t storageCode(StorageType type) { return static_cast<std::int32_t>(type); }

}  // namespace ib
