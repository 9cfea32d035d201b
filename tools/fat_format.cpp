// FAT variant choice by image size. See fat_format.h.
#include "tools/fat_format.h"

namespace ib::tools {
namespace {

// FAT16 from 4 MiB, FAT32 from 64 MiB; below 4 MiB FAT12 keeps a sensible cluster count.
constexpr std::uint64_t kFat16FromSectors = 8 * 1024;
constexpr std::uint64_t kFat32FromSectors = 128 * 1024;
// Below 16 MiB mkfs.fat's default FAT16 cluster of 2 KiB would leave fewer than the
// 4085 clusters that FAT16 needs, so those images use one sector per cluster.
constexpr std::uint64_t kFat16DefaultClusterFromSectors = 32 * 1024;

}  // namespace

std::optional<FatFormat> chooseFatFormat(std::uint64_t sectors) {
    if (sectors < kMinImageSectors || sectors > kMaxImageSectors) return std::nullopt;
    if (sectors < kFat16FromSectors) return FatFormat{12, 0};
    if (sectors < kFat32FromSectors) {
        return FatFormat{16, sectors < kFat16DefaultClusterFromSectors ? 1u : 0u};
    }
    return FatFormat{32, 0};
}

std::vector<std::string> mkfsOptions(const FatFormat& format) {
    std::vector<std::string> options{"-F", std::to_string(format.fatBits), "-S", "512"};
    if (format.sectorsPerCluster != 0) {
        options.insert(options.end(), {"-s", std::to_string(format.sectorsPerCluster)});
    }
    return options;
}

}  // namespace ib::tools
