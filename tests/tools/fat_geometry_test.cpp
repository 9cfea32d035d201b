// The FAT writer's choice of type and cluster size, at every size up to well past the
// FAT32 threshold and at sizes spread over the rest of the range: the cluster count keeps
// clear of the limits where readers disagree on the type, and the regions fit together.
#include <gtest/gtest.h>

#include <cstdint>

#include "tools/fat/volume_geometry.h"

namespace ib::tools::fat {
namespace {

// Readers take 4085 clusters or more as FAT16 and 65525 or more as FAT32; a count this
// close to either is read differently by some of them.
constexpr std::int64_t kUnsafeDistance = 16;

bool nearALimit(std::uint32_t clusters) {
    for (const std::int64_t limit : {4085, 65525}) {
        if (clusters >= limit - kUnsafeDistance && clusters < limit + kUnsafeDistance) return true;
    }
    return false;
}

FatType typeReadersSee(std::uint32_t clusters) {
    return clusters < 4085 ? FatType::Fat12 : clusters < 65525 ? FatType::Fat16 : FatType::Fat32;
}

// Fails with the first size whose geometry is unsound, and why.
testing::AssertionResult soundGeometry(std::uint64_t sectors) {
    const auto geometry = chooseGeometry(sectors);
    if (!geometry) return testing::AssertionFailure() << sectors << " sectors: no geometry";
    const VolumeGeometry& g = *geometry;
    const FatType sizeType = sectors < 8192 ? FatType::Fat12 : sectors < 131072 ? FatType::Fat16 : FatType::Fat32;
    const std::uint64_t fatEntries = std::uint64_t{g.sectorsPerFat} * kSectorBytes * 8 / fatBits(g.type);
    const std::uint64_t dataEnd = g.firstDataSector() + std::uint64_t{g.clusterCount} * g.sectorsPerCluster;
    const char* problem = g.totalSectors != sectors                        ? "not the whole size"
                          : g.type != sizeType                             ? "not the type for the size"
                          : typeReadersSee(g.clusterCount) != g.type       ? "a cluster count of another type"
                          : nearALimit(g.clusterCount)                     ? "a cluster count near a limit"
                          : fatEntries < g.clusterCount + 2ull             ? "a FAT too small for its clusters"
                          : dataEnd > sectors                              ? "clusters beyond the end"
                          : sectors - dataEnd >= g.sectorsPerCluster       ? "room for another cluster left over"
                          : g.firstDataSector() % g.sectorsPerCluster != 0 ? "data not on a cluster boundary"
                                                                           : nullptr;
    if (problem == nullptr) return testing::AssertionSuccess();
    return testing::AssertionFailure() << sectors << " sectors: " << problem << " (" << g.clusterCount
                                       << " clusters of " << g.sectorsPerCluster << " sectors)";
}

TEST(FatGeometry, EverySizeGetsItsTypeAndACountClearOfTheLimits) {
    for (std::uint64_t sectors = kMinVolumeSectors; sectors <= 600 * 1024; ++sectors) {
        ASSERT_TRUE(soundGeometry(sectors));
    }
    for (std::uint64_t sectors = 600 * 1024; sectors <= kMaxVolumeSectors; sectors += 65521) {
        ASSERT_TRUE(soundGeometry(sectors));
    }
    ASSERT_TRUE(soundGeometry(kMaxVolumeSectors));
    EXPECT_FALSE(chooseGeometry(kMinVolumeSectors - 1));
    EXPECT_FALSE(chooseGeometry(kMaxVolumeSectors + 1));
}

}  // namespace
}  // namespace ib::tools::fat
