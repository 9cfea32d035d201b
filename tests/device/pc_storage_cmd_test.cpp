// Direct sector access to a physical drive, on temporary files standing in for
// disks: the guard for the system's own drives and the path rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "device/pc_storage_cmd.h"
#include "platform/physical_drive_path.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

class PhysicalDrives : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ib-pcstorage-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        for (std::uint8_t n = 0; n <= 2; ++n) std::ofstream(diskFile(n), std::ios::binary) << std::string(8192, '\0');
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string prefix() const { return (dir / "sd").string(); }
    // The file standing in for drive N, named by this platform's rule.
    fs::path diskFile(std::uint8_t n) const { return *platform::physicalDrivePath(n, prefix()); }
    PcStorageCmd makeCmd() {
        return PcStorageCmd([prefix = prefix()](std::uint8_t n) { return platform::physicalDrivePath(n, prefix); },
                            [this](const std::string& m) { messages.push_back(m); });
    }
    std::string contentOf(std::uint8_t drive) {
        std::ifstream in(diskFile(drive), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    std::vector<std::string> messages;
};

TEST_F(PhysicalDrives, RefusesToWriteDrivesZeroAndOneWithOneMessageEach) {
    auto cmd = makeCmd();
    std::vector<std::uint8_t> sector(512, 0xAB);
    for (std::uint8_t n : {0, 1}) {
        cmd.setDriveNumber(n);
        EXPECT_EQ(cmd.WriteSectors(1, 1, sector), 0u);
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"physical disk id is dangerous!", "physical disk id is dangerous!"}));
    EXPECT_EQ(contentOf(0), std::string(8192, '\0'));
    EXPECT_EQ(contentOf(1), std::string(8192, '\0'));
}

TEST_F(PhysicalDrives, WritesAndReadsBackAtSectorOffsetsOnOtherDrives) {
    auto cmd = makeCmd();
    cmd.setDriveNumber(2);
    std::vector<std::uint8_t> data(1024);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_EQ(cmd.WriteSectors(3, 2, data), 1u);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(contentOf(2).substr(1536, 1024), std::string(data.begin(), data.end()));
    std::vector<std::uint8_t> back(1024);
    ASSERT_EQ(cmd.ReadSectors(3, 2, back), 1u);
    EXPECT_EQ(back, data);
    EXPECT_EQ(cmd.ReadSectors(15, 2, back), 0u);  // past the end of the disk
}

TEST_F(PhysicalDrives, NumbersAboveNineNameNoDrive) {
    auto cmd = makeCmd();
    std::vector<std::uint8_t> sector(512);
    EXPECT_EQ(cmd.driveNumber(), 255);
    EXPECT_EQ(cmd.ReadSectors(0, 1, sector), 0u);
    cmd.setDriveNumber(10);
    EXPECT_EQ(cmd.WriteSectors(0, 1, sector), 0u);
    EXPECT_TRUE(platform::physicalDrivePath(9, prefix()).has_value());
    EXPECT_EQ(platform::physicalDrivePath(10, prefix()), std::nullopt);
}

TEST_F(PhysicalDrives, SelectStorageAlwaysReportsSixteenMebisectors) {
    auto cmd = makeCmd();
    std::uint32_t size = 0;
    EXPECT_EQ(cmd.SelectStorage(77, 9, size), 1u);
    EXPECT_EQ(size, 16777216u);
    EXPECT_EQ(cmd.GetMode(), kModeUpdater);
}

}  // namespace
}  // namespace ib
