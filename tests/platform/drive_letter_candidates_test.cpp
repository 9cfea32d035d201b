// USB disks take the drive letters D..Z in the order of their kernel names.
#include <gtest/gtest.h>

#include "platform/linux/drive_letter_candidates.h"

namespace ib::platform {
namespace {

std::vector<UsbScsiDisk> disksNamed(std::initializer_list<const char*> names) {
    std::vector<UsbScsiDisk> disks;
    for (const char* name : names) disks.push_back(UsbScsiDisk{name, {}, {}, {}, {}, {}, 0});
    return disks;
}

std::vector<std::string> namesOf(const std::vector<UsbScsiDisk>& disks) {
    std::vector<std::string> names;
    for (const auto& disk : disks) names.push_back(disk.kernelName);
    return names;
}

TEST(DriveLetterCandidates, KernelNamesOrderShorterFirstThenAlphabetically) {
    EXPECT_TRUE(kernelNameLess("sda", "sdb"));
    EXPECT_TRUE(kernelNameLess("sdz", "sdaa"));
    EXPECT_FALSE(kernelNameLess("sdaa", "sdz"));
    EXPECT_FALSE(kernelNameLess("sdb", "sdb"));
    EXPECT_EQ(namesOf(driveLetterCandidates(disksNamed({"sdab", "sdz", "sdaa", "sda", "sdb"}))),
              (std::vector<std::string>{"sda", "sdb", "sdz", "sdaa", "sdab"}));
}

TEST(DriveLetterCandidates, AtMostTwentyThreeDisksGetALetter) {
    std::vector<UsbScsiDisk> disks;
    for (char letter = 'z'; letter >= 'a'; --letter) {
        disks.push_back(UsbScsiDisk{std::string("sd") + letter, {}, {}, {}, {}, {}, 0});
    }
    const auto candidates = driveLetterCandidates(disks);
    ASSERT_EQ(candidates.size(), 23u);
    EXPECT_EQ(candidates.front().kernelName, "sda");
    EXPECT_EQ(candidates.back().kernelName, "sdw");
}

TEST(DriveLetterCandidates, LettersDToZIndexTheList) {
    EXPECT_EQ(candidateIndexOf('D'), 0u);
    EXPECT_EQ(candidateIndexOf('Z'), 22u);
    EXPECT_EQ(candidateIndexOf('C'), std::nullopt);
    EXPECT_EQ(candidateIndexOf('['), std::nullopt);
    EXPECT_EQ(candidateIndexOf('d'), std::nullopt);
}

}  // namespace
}  // namespace ib::platform
